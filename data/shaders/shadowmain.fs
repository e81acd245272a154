#version 120
// Only the depth buffer is kept.
void main()
{
    gl_FragColor = vec4(gl_FragCoord.z);
}
