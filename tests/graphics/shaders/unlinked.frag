#version 120
// Reads a varying that no vertex shader writes: compiles, but does not link.
varying vec4 vNeverWritten;
void main()
{
    gl_FragColor = vNeverWritten;
}
