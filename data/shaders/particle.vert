#version 120
// Particle quads: corners already placed in the world, facing the camera.
attribute vec4 inPosition;
attribute vec4 inColor;
attribute vec2 texcoord;

uniform mat4 projectionMatrix;
uniform mat4 viewMatrix;

varying vec4 vColor;
varying vec2 vTexcoord;

void main()
{
    vColor = inColor;
    vTexcoord = texcoord;
    gl_Position = projectionMatrix * viewMatrix * inPosition;
}
