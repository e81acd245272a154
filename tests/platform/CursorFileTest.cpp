#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/platform/CursorFile.h"
#include "support/TestEnv.h"

using namespace QRX::Platform;

namespace {

void Put16(std::vector<std::uint8_t>& b, std::uint16_t v)
{
    b.push_back(v & 0xFF);
    b.push_back(v >> 8);
}

void Put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}

// One bitmap image: pixels top-down as BGRA, written bottom-up, then the mask
// (1 = transparent) for pixels whose alpha is 0.
std::vector<std::uint8_t> Bitmap(int w, int h, const std::vector<std::uint8_t>& bgraTopDown, int bits = 32,
                                 bool withMask = true)
{
    std::vector<std::uint8_t> b;
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(w));
    Put32(b, static_cast<std::uint32_t>(h * 2));
    Put16(b, 1);
    Put16(b, static_cast<std::uint16_t>(bits));
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    for (int y = h - 1; y >= 0; --y)
        b.insert(b.end(), bgraTopDown.begin() + y * w * 4, bgraTopDown.begin() + (y + 1) * w * 4);
    if (withMask) {
        const int stride = ((w + 31) / 32) * 4;
        for (int y = h - 1; y >= 0; --y) {
            std::vector<std::uint8_t> row(stride, 0);
            for (int x = 0; x < w; ++x)
                if (bgraTopDown[(y * w + x) * 4 + 3] == 0) row[x / 8] |= 0x80 >> (x % 8);
            b.insert(b.end(), row.begin(), row.end());
        }
    }
    return b;
}

std::vector<std::uint8_t> CursorFile(const std::vector<std::vector<std::uint8_t>>& images,
                                     const std::vector<std::pair<int, int>>& hotSpots, std::uint16_t type = 2)
{
    std::vector<std::uint8_t> b;
    Put16(b, 0);
    Put16(b, type);
    Put16(b, static_cast<std::uint16_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        b.push_back(0);
        b.push_back(0);
        b.push_back(0);
        b.push_back(0);
        Put16(b, static_cast<std::uint16_t>(hotSpots[i].first));
        Put16(b, static_cast<std::uint16_t>(hotSpots[i].second));
        Put32(b, static_cast<std::uint32_t>(images[i].size()));
        Put32(b, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images) b.insert(b.end(), image.begin(), image.end());
    return b;
}

// A 2 x 2 image: red, green / blue, transparent (BGRA).
std::vector<std::uint8_t> Pixels2x2()
{
    return {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 128, 0, 0, 0, 0};
}

TEST(CursorFile, DecodesTopDownRgbaWithHotSpot)
{
    auto bytes = CursorFile({Bitmap(2, 2, Pixels2x2())}, {{1, 0}});
    CursorImage image;
    std::string error;
    ASSERT_TRUE(ParseCursorFile(bytes, &image, &error)) << error;
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.hotSpotX, 1);
    EXPECT_EQ(image.hotSpotY, 0);
    const std::vector<std::uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 128, 0, 0, 0, 0};
    EXPECT_EQ(image.rgba, rgba);
}

TEST(CursorFile, OldStyleImageTakesTransparencyFromTheMask)
{
    std::vector<std::uint8_t> px = {10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0, 1, 2, 3, 0};
    auto bitmap = Bitmap(2, 2, px, 32, false);
    // Mask rows bottom-up: bottom row both opaque, top row right pixel transparent.
    std::vector<std::uint8_t> mask = {0x00, 0, 0, 0, 0x40, 0, 0, 0};
    bitmap.insert(bitmap.end(), mask.begin(), mask.end());
    CursorImage image;
    ASSERT_TRUE(ParseCursorFile(CursorFile({bitmap}, {{0, 0}}), &image, nullptr));
    EXPECT_EQ(image.rgba[3], 255);
    EXPECT_EQ(image.rgba[7], 0);
    EXPECT_EQ(image.rgba[11], 255);
    EXPECT_EQ(image.rgba[15], 255);
    EXPECT_EQ(image.rgba[0], 30);  // red of the first pixel
}

TEST(CursorFile, SkipsAnUnusableImageForAUsableOne)
{
    std::vector<std::uint8_t> px24(2 * 2 * 4, 0);
    auto bytes = CursorFile({Bitmap(2, 2, px24, 24), Bitmap(2, 2, Pixels2x2())}, {{0, 0}, {1, 1}});
    CursorImage image;
    ASSERT_TRUE(ParseCursorFile(bytes, &image, nullptr));
    EXPECT_EQ(image.hotSpotX, 1);
    EXPECT_EQ(image.hotSpotY, 1);
}

TEST(CursorFile, RefusesWhatIsNotA32BitCursor)
{
    CursorImage image;
    std::string error;
    EXPECT_FALSE(ParseCursorFile(CursorFile({Bitmap(2, 2, Pixels2x2())}, {{0, 0}}, 1), &image, &error));
    EXPECT_EQ(error, "not a cursor file");
    EXPECT_FALSE(ParseCursorFile(CursorFile({}, {}), &image, &error));
    std::vector<std::uint8_t> px(16, 0);
    EXPECT_FALSE(ParseCursorFile(CursorFile({Bitmap(2, 2, px, 8)}, {{0, 0}}), &image, &error));
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 0};
    EXPECT_FALSE(ParseCursorFile(CursorFile({png}, {{0, 0}}), &image, &error));
    EXPECT_NE(error.find("PNG"), std::string::npos);
    // A hot spot outside the image.
    EXPECT_FALSE(ParseCursorFile(CursorFile({Bitmap(2, 2, Pixels2x2())}, {{2, 0}}), &image, &error));
    EXPECT_TRUE(image.rgba.empty());
}

TEST(CursorFile, TruncatedFilesAreRefusedAtEveryLength)
{
    auto bytes = CursorFile({Bitmap(2, 2, Pixels2x2(), 32, false)}, {{0, 0}});
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + n);
        CursorImage image;
        EXPECT_FALSE(ParseCursorFile(cut, &image, nullptr)) << "length " << n;
    }
}

TEST(CursorFile, EntryPointingOutsideTheFileIsRefused)
{
    auto bytes = CursorFile({Bitmap(2, 2, Pixels2x2())}, {{0, 0}});
    // Offset far past the end, and a size that would wrap around.
    std::vector<std::uint8_t> far = bytes;
    far[18] = far[19] = far[20] = far[21] = 0xFF;
    CursorImage image;
    EXPECT_FALSE(ParseCursorFile(far, &image, nullptr));
    std::vector<std::uint8_t> huge = bytes;
    huge[14] = huge[15] = huge[16] = huge[17] = 0xFF;
    EXPECT_FALSE(ParseCursorFile(huge, &image, nullptr));
    // A header claiming an enormous bitmap.
    std::vector<std::uint8_t> wide = bytes;
    wide[22 + 4] = 0xFF;
    wide[22 + 5] = 0xFF;
    EXPECT_FALSE(ParseCursorFile(wide, &image, nullptr));
}

TEST(CursorFile, TheGameArrowIsReadable)
{
    CursorImage image;
    std::string error;
    ASSERT_TRUE(ReadCursorFile(QRX::TestSupport::SourceDir() + "/data/assets/arrow.cur", &image, &error)) << error;
    EXPECT_EQ(image.width, 32);
    EXPECT_EQ(image.height, 32);
    EXPECT_EQ(image.hotSpotX, 0);
    EXPECT_EQ(image.hotSpotY, 0);
    EXPECT_GT(image.rgba[3], 0);                           // the tip is drawn
    EXPECT_EQ(image.rgba[(31 * 32 + 31) * 4 + 3], 0);      // the far corner is clear
}

TEST(CursorFile, MissingFileIsRefused)
{
    CursorImage image;
    std::string error;
    EXPECT_FALSE(ReadCursorFile("/nonexistent/arrow.cur", &image, &error));
    EXPECT_FALSE(error.empty());
}

// ---- icon files -------------------------------------------------------------

TEST(IconFile, EveryUsableImageComesBackInFileOrderWithoutHotSpots)
{
    std::vector<std::uint8_t> px24(2 * 2 * 4, 0);
    std::vector<std::uint8_t> one(4 * 4 * 4, 200);
    // An icon entry's hot-spot fields hold planes and bit count (1, 32).
    auto bytes = CursorFile({Bitmap(4, 4, one), Bitmap(2, 2, px24, 24), Bitmap(2, 2, Pixels2x2())},
                            {{1, 32}, {1, 24}, {1, 32}}, 1);
    std::vector<CursorImage> images;
    std::string error;
    ASSERT_TRUE(ParseIconFile(bytes, &images, &error)) << error;
    ASSERT_EQ(images.size(), 2u);  // the 24-bit image is skipped
    EXPECT_EQ(images[0].width, 4);
    EXPECT_EQ(images[1].width, 2);
    EXPECT_EQ(images[1].hotSpotX, 0);
    EXPECT_EQ(images[1].rgba, (std::vector<std::uint8_t>{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 128, 0, 0, 0, 0}));
}

TEST(IconFile, RefusesCursorsEmptyAndTruncatedFiles)
{
    std::vector<CursorImage> images;
    std::string error;
    EXPECT_FALSE(ParseIconFile(CursorFile({Bitmap(2, 2, Pixels2x2())}, {{0, 0}}), &images, &error));
    EXPECT_EQ(error, "not an icon file");
    EXPECT_FALSE(ParseIconFile(CursorFile({}, {}, 1), &images, &error));
    EXPECT_EQ(error, "icon file holds no image");
    std::vector<std::uint8_t> px(16, 0);
    EXPECT_FALSE(ParseIconFile(CursorFile({Bitmap(2, 2, px, 8)}, {{1, 8}}, 1), &images, &error));
    auto bytes = CursorFile({Bitmap(2, 2, Pixels2x2())}, {{1, 32}}, 1);
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + n);
        EXPECT_FALSE(ParseIconFile(cut, &images, nullptr)) << "length " << n;
    }
    EXPECT_TRUE(images.empty());
    EXPECT_FALSE(ReadIconFile("/nonexistent/zendra.ico", &images, &error));
    EXPECT_EQ(error, "file cannot be opened");
}

TEST(IconFile, TheGameIconHasALargeAndASmallImage)
{
    std::vector<CursorImage> images;
    std::string error;
    ASSERT_TRUE(ReadIconFile(QRX::TestSupport::SourceDir() + "/data/assets/zendra.ico", &images, &error)) << error;
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].width, 32);
    EXPECT_EQ(images[0].height, 32);
    EXPECT_EQ(images[1].width, 16);
    EXPECT_EQ(images[1].height, 16);
    for (const CursorImage& image : images) {
        const int w = image.width;
        EXPECT_EQ(image.rgba[((w / 2) * w + w / 2) * 4 + 3], 255);  // the middle is drawn
        EXPECT_LT(image.rgba[3], 255);                               // the rounded corner is not
    }
}

} // namespace
