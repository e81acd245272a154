#version 120
uniform vec4 global_ambientColor;
uniform vec4 diffuse;
uniform vec4 emissive;
uniform vec4 specular;
uniform float innerAngle;
uniform float outerAngle;
uniform float Falloff;
uniform float nearPlaneDis;
uniform float farPlaneDis;
uniform int lightType;
uniform int LON;
varying vec3 vLight;
void main()
{
    float angles = innerAngle + outerAngle * Falloff + nearPlaneDis / farPlaneDis;
    vec4 colour = global_ambientColor + diffuse * emissive + specular * angles;
    if (lightType == 2 && LON > 0) colour.rgb += vLight;
    gl_FragColor = colour;
}
