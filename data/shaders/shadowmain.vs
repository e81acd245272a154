#version 120
// Depth of the shadow casters as the light sees them, skinned like the main
// pass. Each vertex is pulled back a little along its normal so that lit
// faces do not shadow themselves.
const int JOINT_SIZE = 65;
const float NORMAL_OFFSET = 0.02;

attribute vec4 inPosition;
attribute vec4 inNormal;
attribute vec4 weight;
attribute vec4 jointIndex;

uniform mat4 projectionMatrix;
uniform mat4 viewMatrix;
uniform mat4 modelMatrix;
uniform int isAnimated;
uniform mat4 skinMatrix[JOINT_SIZE];

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
    position.xyz -= normal * NORMAL_OFFSET;
    gl_Position = projectionMatrix * viewMatrix * modelMatrix * position;
}
