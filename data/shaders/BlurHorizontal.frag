#version 120
// One direction of a separable Gaussian blur reaching uHalfSize texels of the
// source (uMapSize is one texel) each way, sigma half the reach. The bell is
// sampled by 2 x 5 + 1 taps spread over the reach, with weights fixed once
// here; neighbouring taps share one bilinear fetch placed between them by
// their weights, so six fetches give the eleven taps. At the default reach of
// 5 every tap sits on a texel centre and the result is the eleven-texel
// blur; other reaches stretch the same bell.
uniform sampler2D uColorMap;
uniform float uMapSize;
uniform int uHalfSize;

varying vec2 vTexcoord;

const float MAX_HALF_SIZE = 16.0;
const float TAPS_PER_SIDE = 5.0;

// Taps -5 and -4, -3 and -2, -1 and 0, 1 and 2, 3 and 4, then 5 alone: the
// place of each fetch in taps, and its share of the normalised bell
// exp(-2 i^2 / 25) (i in taps).
const float OFFSET_0 = -4.3273930;
const float OFFSET_1 = -2.4013123;
const float OFFSET_2 = -0.4800107;
const float OFFSET_3 = 1.4402864;
const float OFFSET_4 = 3.3635475;
const float OFFSET_5 = 5.0;
const float WEIGHT_0 = 0.06777955;
const float WEIGHT_1 = 0.19887604;
const float WEIGHT_2 = 0.31532802;
const float WEIGHT_3 = 0.27042544;
const float WEIGHT_4 = 0.12540041;
const float WEIGHT_5 = 0.02219055;

void main()
{
    vec2 tap = vec2(uMapSize, 0.0) * (clamp(float(uHalfSize), 0.0, MAX_HALF_SIZE) / TAPS_PER_SIDE);
    vec3 sum = WEIGHT_0 * texture2D(uColorMap, vTexcoord + OFFSET_0 * tap).rgb
             + WEIGHT_1 * texture2D(uColorMap, vTexcoord + OFFSET_1 * tap).rgb
             + WEIGHT_2 * texture2D(uColorMap, vTexcoord + OFFSET_2 * tap).rgb
             + WEIGHT_3 * texture2D(uColorMap, vTexcoord + OFFSET_3 * tap).rgb
             + WEIGHT_4 * texture2D(uColorMap, vTexcoord + OFFSET_4 * tap).rgb
             + WEIGHT_5 * texture2D(uColorMap, vTexcoord + OFFSET_5 * tap).rgb;
    gl_FragColor = vec4(sum, 1.0);
}
