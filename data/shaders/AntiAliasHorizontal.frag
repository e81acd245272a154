#version 120
// One direction of a small edge smoothing: where the brightness jumps between
// neighbours one texel (uMapSize) apart, the pixel moves toward their mean
// (before + 2 centre + after) / 4, by up to half the way.
uniform sampler2D uColorMap;
uniform float uMapSize;

varying vec2 vTexcoord;

const vec3 LUMA = vec3(0.299, 0.587, 0.114);
// Brightness differences below this are texture detail, left alone.
const float EDGE_THRESHOLD = 0.05;
// Half the way to the mean, which lies a quarter of (before + after - 2 centre) away.
const float MAX_BLEND = 0.5 * 0.25;

void main()
{
    vec2 step = vec2(uMapSize, 0.0);
    vec3 centre = texture2D(uColorMap, vTexcoord).rgb;
    vec3 before = texture2D(uColorMap, vTexcoord - step).rgb;
    vec3 after = texture2D(uColorMap, vTexcoord + step).rgb;
    float brightness = dot(centre, LUMA);
    float contrast = max(abs(dot(before, LUMA) - brightness), abs(dot(after, LUMA) - brightness));
    float blend = contrast < EDGE_THRESHOLD ? 0.0 : min(contrast, 1.0) * MAX_BLEND;
    gl_FragColor = vec4(centre + blend * (before + after - 2.0 * centre), 1.0);
}
