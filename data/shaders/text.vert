#version 120
// Screen text: x, y of "coord" are already in normalised device coordinates,
// z, w the glyph's place in the font atlas.
attribute vec4 coord;
varying vec2 texpos;

void main()
{
    gl_Position = vec4(coord.xy, 0.0, 1.0);
    texpos = coord.zw;
}
