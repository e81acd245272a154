#version 120
// Stand-in for the main program's shadow inputs: the fragment's place in the
// light's clip space, reached from view space through the world.
attribute vec4 inPosition;
uniform mat4 projectionMatrix;
uniform mat4 viewMatrix;
uniform mat4 modelMatrix;
uniform mat4 viewToWorldMatrix;
uniform mat4 worldToLightMatrix;
uniform mat4 lightToProjectionMatrix;
varying vec4 vShadowCoord;
void main()
{
    vec4 positionView = viewMatrix * modelMatrix * vec4(inPosition.xyz, 1.0);
    vec4 lightClip = lightToProjectionMatrix * worldToLightMatrix * viewToWorldMatrix * positionView;
    vShadowCoord = vec4(lightClip.xyz * 0.5 + 0.5 * lightClip.w, lightClip.w);
    gl_Position = projectionMatrix * positionView;
}
