#version 120
// The main mesh pass: every object with a graphics component, skinned on the
// card when its mesh is animated (isAnimated 1: the position and normal are
// blended over four joints of skinMatrix by their weights). Lighting is done
// per fragment in view space; the shadow coordinate is the fragment's place
// in the light's projection.
const int JOINT_SIZE = 65;

attribute vec4 inPosition;
attribute vec4 inNormal;
attribute vec2 texcoord;
attribute vec4 weight;
attribute vec4 jointIndex;

uniform mat4 projectionMatrix;
uniform mat4 viewMatrix;
uniform mat4 modelMatrix;
uniform mat3 normalMatrix;
uniform int isAnimated;
uniform mat4 skinMatrix[JOINT_SIZE];

// Shadow inputs: view space back to world, then into the light's clip space.
uniform mat4 viewToWorldMatrix;
uniform mat4 worldToLightMatrix;
uniform mat4 lightToProjectionMatrix;

varying vec3 vPositionView;
varying vec3 vNormalView;
varying vec2 vTexcoord;
varying vec4 vShadowCoord;

void main()
{
    vec4 position = vec4(inPosition.xyz, 1.0);
    vec3 normal = inNormal.xyz;
    if (isAnimated == 1) {
        mat4 skin = weight.x * skinMatrix[int(jointIndex.x)]
                  + weight.y * skinMatrix[int(jointIndex.y)]
                  + weight.z * skinMatrix[int(jointIndex.z)]
                  + weight.w * skinMatrix[int(jointIndex.w)];
        position = skin * position;
        normal = mat3(skin[0].xyz, skin[1].xyz, skin[2].xyz) * normal;
    }

    vec4 positionView = viewMatrix * modelMatrix * position;
    vPositionView = positionView.xyz;
    vNormalView = normalMatrix * normal;
    vTexcoord = texcoord;

    // Clip space to texture space: [-1, 1] -> [0, 1].
    vec4 lightClip = lightToProjectionMatrix * worldToLightMatrix * viewToWorldMatrix * positionView;
    vShadowCoord = vec4(lightClip.xyz * 0.5 + 0.5 * lightClip.w, lightClip.w);

    gl_Position = projectionMatrix * positionView;
}
