#version 120
// Coloured lines: debug lines in the world, and 2-D lines in the window's
// orthographic space (view identity).
attribute vec3 inPosition;
attribute vec4 inColor;
uniform mat4 projectionMatrix;
uniform mat4 viewMatrix;
uniform mat4 modelMatrix;
varying vec4 vColor;

void main()
{
    vColor = inColor;
    gl_Position = projectionMatrix * viewMatrix * modelMatrix * vec4(inPosition, 1.0);
}
