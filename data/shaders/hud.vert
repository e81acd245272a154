#version 120
// User-interface quads: the mesh is placed by the object's world matrix in
// the window's orthographic space (origin at the centre, one unit a pixel).
attribute vec4 inPosition;
attribute vec2 texcoord;
uniform mat4 projectionMatrix;
uniform mat4 viewMatrix;
uniform mat4 modelMatrix;
varying vec2 vTexcoord;

void main()
{
    vTexcoord = texcoord;
    gl_Position = projectionMatrix * viewMatrix * modelMatrix * vec4(inPosition.xyz, 1.0);
}
