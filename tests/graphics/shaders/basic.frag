#version 120
uniform float opacity;
varying vec2 vTexcoord;
void main()
{
    gl_FragColor = vec4(vTexcoord, 0.0, opacity);
}
