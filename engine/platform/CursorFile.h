// Reader of Windows cursor files (.cur) and icon files (.ico).
//
// Both are a small directory of images; a cursor's images have a hot spot.
// Images stored as 32-bit bitmaps (BGRA, bottom-up, followed by a 1-bit mask)
// are returned as top-down RGBA; when every alpha value is 0 (an old-style
// image) the mask gives the transparency. The cursor reader takes the first
// such image, the icon reader every one, in file order. Anything else
// (PNG-compressed or palette images, a file of the other kind, a truncated
// or inconsistent file) is refused with a reason; nothing is read outside
// the given bytes.
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

// Decodes the bytes of an icon file into every usable 32-bit image (hot spots
// 0). False, with the reason, when there is none; skipped images are not
// reported.
bool ParseIconFile(const std::vector<std::uint8_t>& bytes, std::vector<CursorImage>* images, std::string* error);

// Reads and decodes an icon file from disk.
bool ReadIconFile(const std::string& path, std::vector<CursorImage>* images, std::string* error);

} // namespace Platform
} // namespace QRX
