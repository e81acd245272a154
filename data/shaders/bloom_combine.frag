#version 120
// The final image: the sharp source plus the bloom (the mean of the three
// blurred levels, tinted by uBloomColor.rgb and weighted by its alpha), then
// saturation and value raised by uSaturation and uValue as HSV would, opaque.
// The hue is kept without computing it: every channel keeps its place between
// the largest channel (the value) and the smallest.
uniform sampler2D Pass0;
uniform sampler2D Pass1;
uniform sampler2D Pass2;
uniform sampler2D sourceImage;
uniform vec4 uBloomColor;
uniform float uSaturation;
uniform float uValue;

varying vec2 vTexcoord;

const float GREY_LIMIT = 0.1;
const float TINY = 1.0e-10;

void main()
{
    vec3 source = texture2D(sourceImage, vTexcoord).rgb;
    vec3 bloom = (texture2D(Pass0, vTexcoord).rgb + texture2D(Pass1, vTexcoord).rgb
                + texture2D(Pass2, vTexcoord).rgb) * (1.0 / 3.0);
    vec3 colour = clamp(source + uBloomColor.a * (bloom + uBloomColor.rgb), 0.0, 1.0);

    float largest = max(max(colour.r, colour.g), colour.b);
    float chroma = largest - min(min(colour.r, colour.g), colour.b);
    float saturation = chroma / (largest + TINY);
    // Greys have no hue to saturate: the shift fades in with the colour.
    saturation = clamp(saturation + uSaturation * smoothstep(0.0, GREY_LIMIT, saturation), 0.0, 1.0);
    float value = clamp(largest + uValue, 0.0, 1.0);
    // The new chroma (value x saturation) over the old one scales each
    // channel's distance below the largest.
    float scale = value * saturation / max(chroma, TINY);
    gl_FragColor = vec4(value - scale * (largest - colour), 1.0);
}
