#version 120
varying vec4 vColor;

void main()
{
    gl_FragColor = vColor;
}
