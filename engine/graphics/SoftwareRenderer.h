// Whether the current OpenGL context draws in software.
//
// Mesa's llvmpipe and softpipe shade on the processor: every fragment runs
// every instruction of its shader and every texel fetch is paid in full, and
// decoding compressed textures multiplies the fetch. The engine then spends a
// little memory and set-up to draw the same pictures with fewer fetches (the
// texture manager stores textures decoded, the main pass lays down the depth
// of opaque objects first). Hardware renderers keep the plain path.
#pragma once

namespace QRX {

// Renderer names (from GL_RENDERER) that mean software rasterisation.
constexpr const char* SOFTWARE_RENDERER_NAMES[] = {"llvmpipe", "softpipe"};

// True when the current context's GL_RENDERER names a software rasteriser;
// false without a current context.
bool IsSoftwareRenderer();
// The same test on a renderer name; false for null.
bool IsSoftwareRendererName(const char* rendererName);

} // namespace QRX
