#version 120
// A full-screen quad for the bloom blit.
attribute vec2 inPosition;

varying vec2 vTexcoord;

void main()
{
    vTexcoord = inPosition * 0.5 + 0.5;
    gl_Position = vec4(inPosition, 0.0, 1.0);
}
