#version 120
// Copies a texture, opaque.
uniform sampler2D uColorMap;

varying vec2 vTexcoord;

void main()
{
    gl_FragColor = vec4(texture2D(uColorMap, vTexcoord).rgb, 1.0);
}
