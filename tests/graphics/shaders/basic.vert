#version 120
attribute vec3 inPosition;
attribute vec2 texcoord;
uniform mat4 projectionMatrix;
varying vec2 vTexcoord;
void main()
{
    vTexcoord = texcoord;
    gl_Position = projectionMatrix * vec4(inPosition, 1.0);
}
