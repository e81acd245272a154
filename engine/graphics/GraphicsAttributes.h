// Indices of the renderer's own vertex buffers.
//
// The renderer keeps GRAPHICS_ATTRIB_COUNT buffer names in one array; a
// stream it fills itself sits at the index of the attribute location it
// feeds, in the engine's one numbering of attribute locations.
#pragma once
#include <cstddef>

namespace QRX {

constexpr std::size_t GRAPHICS_ATTRIB_LINEPOS = 3;
constexpr std::size_t GRAPHICS_ATTRIB_LINECOLOR = 4;
constexpr std::size_t GRAPHICS_ATTRIB_TRIANGLEPOS = 8;  // the particle stream
constexpr std::size_t GRAPHICS_ATTRIB_TRIANGLEUV = 10;  // the particles' texture coordinates
constexpr std::size_t GRAPHICS_ATTRIB_COUNT = 11;

} // namespace QRX
