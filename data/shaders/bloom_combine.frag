#version 120
// The final image: the sharp source plus the bloom (the mean of the three
// blurred levels, tinted by uBloomColor.rgb and weighted by its alpha), then
// saturation and value raised by uSaturation and uValue in HSV. Opaque.
uniform sampler2D Pass0;
uniform sampler2D Pass1;
uniform sampler2D Pass2;
uniform sampler2D sourceImage;
uniform vec4 uBloomColor;
uniform float uSaturation;
uniform float uValue;

varying vec2 vTexcoord;

const float GREY_LIMIT = 0.1;

vec3 RgbToHsv(vec3 c)
{
    vec4 k = vec4(0.0, -1.0 / 3.0, 2.0 / 3.0, -1.0);
    vec4 p = mix(vec4(c.bg, k.wz), vec4(c.gb, k.xy), step(c.b, c.g));
    vec4 q = mix(vec4(p.xyw, c.r), vec4(c.r, p.yzx), step(p.x, c.r));
    float d = q.x - min(q.w, q.y);
    const float e = 1.0e-10;
    return vec3(abs(q.z + (q.w - q.y) / (6.0 * d + e)), d / (q.x + e), q.x);
}

vec3 HsvToRgb(vec3 c)
{
    vec4 k = vec4(1.0, 2.0 / 3.0, 1.0 / 3.0, 3.0);
    vec3 p = abs(fract(c.xxx + k.xyz) * 6.0 - k.www);
    return c.z * mix(k.xxx, clamp(p - k.xxx, 0.0, 1.0), c.y);
}

void main()
{
    vec3 source = texture2D(sourceImage, vTexcoord).rgb;
    vec3 bloom = (texture2D(Pass0, vTexcoord).rgb + texture2D(Pass1, vTexcoord).rgb
                + texture2D(Pass2, vTexcoord).rgb) / 3.0;
    vec3 colour = clamp(source + uBloomColor.a * (bloom + uBloomColor.rgb), 0.0, 1.0);

    vec3 hsv = RgbToHsv(colour);
    // Greys have no hue to saturate: the shift fades in with the colour.
    hsv.y = clamp(hsv.y + uSaturation * smoothstep(0.0, GREY_LIMIT, hsv.y), 0.0, 1.0);
    hsv.z = clamp(hsv.z + uValue, 0.0, 1.0);
    gl_FragColor = vec4(HsvToRgb(hsv), 1.0);
}
