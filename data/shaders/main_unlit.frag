#version 120
// The main pass's colour where its light leaves a mesh unlit (LON 0, as for
// the sky): the texture as it is, isB's boost, the texture's alpha times the
// object's opacity. It is the main program's own unlit result; a renderer
// that shades fragments in step would otherwise pay the main program's light
// and shadow work for every pixel of the sky. Drawn with main.vert.
uniform sampler2D diffuseTexture;
uniform float opacity;
uniform int isB;

varying vec2 vTexcoord;

const float BOOST = 0.6;

void main()
{
    vec4 texColour = texture2D(diffuseTexture, vTexcoord);
    vec3 colour = texColour.rgb;
    if (isB == 1) colour += texColour.rgb * BOOST;
    gl_FragColor = vec4(colour, texColour.a * opacity);
}
