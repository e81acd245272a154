#version 120
// The quad's texture (unit 0) blended by the component's opacity.
uniform sampler2D hudTexture;
uniform float opacity;
varying vec2 vTexcoord;

void main()
{
    vec4 colour = texture2D(hudTexture, vTexcoord);
    gl_FragColor = vec4(colour.rgb, colour.a * opacity);
}
