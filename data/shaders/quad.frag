#version 120
// Copies a texture; the chain keeps blending on, so the copy is made opaque.
uniform sampler2D fbo_texture;

varying vec2 vTexcoord;

void main()
{
    gl_FragColor = vec4(texture2D(fbo_texture, vTexcoord).rgb, 1.0);
}
