#version 120
// Stand-in for the shadow program: depth of the casters from the light, with
// the first joint of the skin palette applied to animated ones.
attribute vec4 inPosition;
uniform mat4 projectionMatrix;
uniform mat4 viewMatrix;
uniform mat4 modelMatrix;
uniform int isAnimated;
uniform mat4 skinMatrix[2];
void main()
{
    vec4 p = vec4(inPosition.xyz, 1.0);
    if (isAnimated == 1) p = skinMatrix[0] * p;
    gl_Position = projectionMatrix * viewMatrix * modelMatrix * p;
}
