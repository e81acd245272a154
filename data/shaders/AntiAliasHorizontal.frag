#version 120
// One direction of a small edge smoothing: where the brightness jumps between
// neighbours one texel (uMapSize) apart, the pixel moves toward their mean.
uniform sampler2D uColorMap;
uniform float uMapSize;

varying vec2 vTexcoord;

const vec3 LUMA = vec3(0.299, 0.587, 0.114);
// Brightness differences below this are texture detail, left alone.
const float EDGE_THRESHOLD = 0.05;
const float MAX_BLEND = 0.5;

void main()
{
    vec2 step = vec2(uMapSize, 0.0);
    vec3 centre = texture2D(uColorMap, vTexcoord).rgb;
    vec3 before = texture2D(uColorMap, vTexcoord - step).rgb;
    vec3 after = texture2D(uColorMap, vTexcoord + step).rgb;
    float contrast = max(abs(dot(before - centre, LUMA)), abs(dot(after - centre, LUMA)));
    float blend = contrast < EDGE_THRESHOLD ? 0.0 : min(contrast, 1.0) * MAX_BLEND;
    vec3 smoothed = (before + 2.0 * centre + after) * 0.25;
    gl_FragColor = vec4(mix(centre, smoothed, blend), 1.0);
}
