#include "engine/platform/CursorFile.h"

#include <fstream>
#include <iterator>

namespace QRX {
namespace Platform {

namespace {

constexpr std::size_t DIRECTORY_SIZE = 6;
constexpr std::size_t ENTRY_SIZE = 16;
constexpr std::size_t BITMAP_HEADER_SIZE = 40;
constexpr std::uint16_t RESOURCE_ICON = 1;
constexpr std::uint16_t RESOURCE_CURSOR = 2;
constexpr std::uint32_t COMPRESSION_NONE = 0;

std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

bool Fail(std::string* error, const std::string& reason)
{
    if (error) *error = reason;
    return false;
}

// Decodes the image of one directory entry.
bool ParseImage(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t size, int hotX,
                int hotY, CursorImage* image, std::string* error)
{
    if (offset > bytes.size() || size > bytes.size() - offset) return Fail(error, "image lies outside the file");
    if (size >= 4 && bytes[offset] == 0x89 && bytes[offset + 1] == 'P' && bytes[offset + 2] == 'N' &&
        bytes[offset + 3] == 'G')
        return Fail(error, "PNG-compressed images are not supported");
    if (size < BITMAP_HEADER_SIZE) return Fail(error, "image header is truncated");

    const std::uint32_t headerSize = U32(bytes, offset);
    const std::int32_t width = static_cast<std::int32_t>(U32(bytes, offset + 4));
    const std::int32_t doubledHeight = static_cast<std::int32_t>(U32(bytes, offset + 8));
    const std::uint16_t bitCount = U16(bytes, offset + 14);
    const std::uint32_t compression = U32(bytes, offset + 16);
    if (headerSize < BITMAP_HEADER_SIZE || headerSize > size) return Fail(error, "bad image header size");
    if (bitCount != 32) return Fail(error, "image is not 32-bit (" + std::to_string(bitCount) + " bits)");
    if (compression != COMPRESSION_NONE) return Fail(error, "compressed bitmaps are not supported");
    // The bitmap height counts the colour image and the mask.
    if (width <= 0 || width > CURSOR_MAX_SIDE || doubledHeight <= 0 || doubledHeight % 2 != 0 ||
        doubledHeight / 2 > CURSOR_MAX_SIDE)
        return Fail(error, "bad image size");
    const int height = doubledHeight / 2;

    const std::size_t pixelBytes = static_cast<std::size_t>(width) * height * 4;
    const std::size_t maskStride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
    const std::size_t maskBytes = maskStride * height;
    const std::size_t pixelsAt = offset + headerSize;
    if (headerSize + pixelBytes > size) return Fail(error, "image data is truncated");
    const bool hasMask = headerSize + pixelBytes + maskBytes <= size;

    if (hotX < 0 || hotX >= width || hotY < 0 || hotY >= height) return Fail(error, "hot spot lies outside the image");

    CursorImage out;
    out.width = width;
    out.height = height;
    out.hotSpotX = hotX;
    out.hotSpotY = hotY;
    out.rgba.resize(pixelBytes);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const std::size_t row = pixelsAt + static_cast<std::size_t>(height - 1 - y) * width * 4;  // bottom-up
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &bytes[row + static_cast<std::size_t>(x) * 4];
            std::uint8_t* q = &out.rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
            q[3] = p[3];
            anyAlpha = anyAlpha || p[3] != 0;
        }
    }
    if (!anyAlpha && hasMask) {
        const std::size_t maskAt = pixelsAt + pixelBytes;
        for (int y = 0; y < height; ++y) {
            const std::size_t row = maskAt + static_cast<std::size_t>(height - 1 - y) * maskStride;
            for (int x = 0; x < width; ++x) {
                const bool transparent = (bytes[row + x / 8] >> (7 - x % 8)) & 1;
                out.rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3] = transparent ? 0 : 255;
            }
        }
    }
    *image = std::move(out);
    return true;
}

// Walks the image directory of a file of this resource type. One image (the
// first usable) or all usable ones; icon entries carry no hot spot.
bool ParseDirectory(const std::vector<std::uint8_t>& bytes, std::uint16_t resource, bool all,
                    std::vector<CursorImage>* images, std::string* error)
{
    const bool cursor = resource == RESOURCE_CURSOR;
    if (bytes.size() < DIRECTORY_SIZE) return Fail(error, "file is too short");
    if (U16(bytes, 0) != 0 || U16(bytes, 2) != resource)
        return Fail(error, cursor ? "not a cursor file" : "not an icon file");
    const std::size_t count = U16(bytes, 4);
    if (count == 0) return Fail(error, cursor ? "cursor file holds no image" : "icon file holds no image");
    if (bytes.size() < DIRECTORY_SIZE + count * ENTRY_SIZE) return Fail(error, "image directory is truncated");

    std::string firstError;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = DIRECTORY_SIZE + i * ENTRY_SIZE;
        const int hotX = cursor ? U16(bytes, entry + 4) : 0;
        const int hotY = cursor ? U16(bytes, entry + 6) : 0;
        const std::size_t size = U32(bytes, entry + 8);
        const std::size_t offset = U32(bytes, entry + 12);
        std::string reason;
        CursorImage image;
        if (ParseImage(bytes, offset, size, hotX, hotY, &image, &reason)) {
            images->push_back(std::move(image));
            if (!all) return true;
        } else if (firstError.empty()) {
            firstError = reason;
        }
    }
    return images->empty() ? Fail(error, firstError) : true;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path, bool* opened)
{
    std::ifstream in(path, std::ios::binary);
    *opened = static_cast<bool>(in);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

bool ParseCursorFile(const std::vector<std::uint8_t>& bytes, CursorImage* image, std::string* error)
{
    if (!image) return Fail(error, "no image to fill");
    std::vector<CursorImage> images;
    if (!ParseDirectory(bytes, RESOURCE_CURSOR, false, &images, error)) return false;
    *image = std::move(images.front());
    return true;
}

bool ParseIconFile(const std::vector<std::uint8_t>& bytes, std::vector<CursorImage>* images, std::string* error)
{
    if (!images) return Fail(error, "no image list to fill");
    std::vector<CursorImage> found;
    if (!ParseDirectory(bytes, RESOURCE_ICON, true, &found, error)) return false;
    *images = std::move(found);
    return true;
}

bool ReadCursorFile(const std::string& path, CursorImage* image, std::string* error)
{
    bool opened = false;
    std::vector<std::uint8_t> bytes = ReadBytes(path, &opened);
    if (!opened) return Fail(error, "file cannot be opened");
    return ParseCursorFile(bytes, image, error);
}

bool ReadIconFile(const std::string& path, std::vector<CursorImage>* images, std::string* error)
{
    bool opened = false;
    std::vector<std::uint8_t> bytes = ReadBytes(path, &opened);
    if (!opened) return Fail(error, "file cannot be opened");
    return ParseIconFile(bytes, images, error);
}

} // namespace Platform
} // namespace QRX
