#version 120
// Particle colour, times the texture when one is bound, its hue turned by
// uHue (a fraction of a full turn). Drawn with additive blending.
uniform sampler2D particleTexture;
uniform int useTexture;
uniform float uHue;

varying vec4 vColor;
varying vec2 vTexcoord;

// Rotates the colour about the grey axis, which turns its hue and keeps its
// brightness; works for the over-bright colours particles start with.
vec3 RotateHue(vec3 color, float turns)
{
    const vec3 grey = vec3(0.57735027);
    float angle = turns * 6.2831853;
    float c = cos(angle);
    return color * c + cross(grey, color) * sin(angle) + grey * dot(grey, color) * (1.0 - c);
}

void main()
{
    vec4 color = vColor;
    if (useTexture != 0)
        color *= texture2D(particleTexture, vTexcoord);
    gl_FragColor = vec4(RotateHue(color.rgb, uHue), color.a);
}
