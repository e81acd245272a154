#version 120
// The atlas holds glyph coverage in its alpha channel; the line's colour is
// modulated by it.
varying vec2 texpos;
uniform sampler2D tex;
uniform vec4 color;

void main()
{
    gl_FragColor = vec4(1.0, 1.0, 1.0, texture2D(tex, texpos).a) * color;
}
