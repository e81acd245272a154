#version 120
attribute vec3 inPosition;
uniform vec3 lightPosView;
uniform vec3 lightDirView;
uniform vec3 attCoef;
varying vec3 vLight;
void main()
{
    vLight = lightPosView + lightDirView * attCoef.x + attCoef.yzx;
    gl_Position = vec4(inPosition, 1.0);
}
