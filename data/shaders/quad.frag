#version 120
// Copies a texture, opaque (the chain's targets hold opaque pictures).
uniform sampler2D fbo_texture;

varying vec2 vTexcoord;

void main()
{
    gl_FragColor = vec4(texture2D(fbo_texture, vTexcoord).rgb, 1.0);
}
