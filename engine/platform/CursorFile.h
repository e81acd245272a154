// Reader of Windows cursor files (.cur).
//
// A cursor file is a small directory of images, each with a hot spot. The
// reader takes the first image stored as a 32-bit bitmap (BGRA, bottom-up,
// followed by a 1-bit mask) and returns it as top-down RGBA with its hot
// spot. When every alpha value is 0 (an old-style image) the mask gives the
// transparency. Anything else (an icon, PNG-compressed or palette images, a
// truncated or inconsistent file) is refused with a reason; nothing is read
// outside the given bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace QRX {
namespace Platform {

// Largest cursor side the format can describe.
constexpr int CURSOR_MAX_SIDE = 256;

struct CursorImage
{
    int width = 0;
    int height = 0;
    int hotSpotX = 0;
    int hotSpotY = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4 bytes, top row first
};

// Decodes the bytes of a cursor file. False, with the reason, when they hold
// no usable 32-bit cursor image.
bool ParseCursorFile(const std::vector<std::uint8_t>& bytes, CursorImage* image, std::string* error);

// Reads and decodes a cursor file from disk.
bool ReadCursorFile(const std::string& path, CursorImage* image, std::string* error);

} // namespace Platform
} // namespace QRX
