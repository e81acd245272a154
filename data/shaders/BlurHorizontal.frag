#version 120
// One direction of a separable Gaussian blur over 2 x uHalfSize + 1 taps,
// uMapSize apart (one texel of the source).
uniform sampler2D uColorMap;
uniform float uMapSize;
uniform int uHalfSize;

varying vec2 vTexcoord;

const int MAX_HALF_SIZE = 16;

void main()
{
    int halfSize = int(clamp(float(uHalfSize), 0.0, float(MAX_HALF_SIZE)));
    // Most of the bell inside the taps: sigma half the reach.
    float sigma = max(float(halfSize) * 0.5, 0.5);
    vec2 step = vec2(uMapSize, 0.0);
    vec3 sum = texture2D(uColorMap, vTexcoord).rgb;
    float total = 1.0;
    for (int i = 1; i <= MAX_HALF_SIZE; ++i) {
        if (i > halfSize) break;
        float w = exp(-float(i * i) / (2.0 * sigma * sigma));
        sum += w * (texture2D(uColorMap, vTexcoord + float(i) * step).rgb
                  + texture2D(uColorMap, vTexcoord - float(i) * step).rgb);
        total += 2.0 * w;
    }
    gl_FragColor = vec4(sum / total, 1.0);
}
