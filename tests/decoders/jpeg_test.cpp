#include <gtest/gtest.h>

#include "decoderChecks_support.h"
#include "decoders/bitmapStream.h"
#include "decoders/jpeg.h"

namespace {

rgbaImage_t uniformImage(uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    rgbaImage_t image;
    image.width = width;
    image.height = height;
    for (uint32_t i = 0; i < width * height; ++i)
        image.rgba.insert(image.rgba.end(), {r, g, b, a});
    return image;
}

TEST(JpegDecoder, Kinds)
{
    const rgbaImage_t colour = uniformImage(24, 16, 200, 100, 50, 255);
    // Stored inverted, as in Adobe's files: C, M, Y, K = 255 - ink.
    const rgbaImage_t cmyk = uniformImage(24, 16, 255, 128, 0, 255);
    const struct {
        const char *name;
        bytes_t file;
        uint8_t b, g, r;
    } cases[] = {
        {"colour", encodeJpeg(colour, jpegKind_t::colour), 50, 100, 200},
        {"progressive", encodeJpeg(colour, jpegKind_t::progressive), 50, 100, 200},
        {"grey", encodeJpeg(colour, jpegKind_t::grey), 200, 200, 200},
        {"CMYK", encodeJpeg(cmyk, jpegKind_t::cmykAdobe), 0, 128, 255},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const decodedFile_t result = decodeBytes(c.file);
        expectBitmap(result, 24, 16, kColorsRgb32);
        for (size_t i = 0; i < result.bitmap.pixels.size(); i += 4) {
            EXPECT_NEAR(result.bitmap.pixels[i], c.b, 3) << i;
            EXPECT_NEAR(result.bitmap.pixels[i + 1], c.g, 3) << i;
            EXPECT_NEAR(result.bitmap.pixels[i + 2], c.r, 3) << i;
            EXPECT_EQ(result.bitmap.pixels[i + 3], 255) << i;
        }
    }
}

TEST(JpegDecoder, BrokenFilesWriteNothing)
{
    const rgbaImage_t image = colourfulImage(7, 5);
    const bytes_t jpeg = encodeJpeg(image, jpegKind_t::colour);
    const bytes_t progressive = encodeJpeg(image, jpegKind_t::progressive);
    bytes_t jpegGarbage = jpeg;
    for (size_t i = jpeg.size() / 2; i < jpeg.size() - 2; ++i)
        jpegGarbage[i] = uint8_t(i * 7);
    const damagedImage_t cases[] = {
        {"JPEG half", cut(jpeg, jpeg.size() / 2), "JPEG data ends early"},
        {"JPEG without its last byte", cut(jpeg, jpeg.size() - 1), "JPEG data ends early"},
        {"JPEG start marker only", cut(jpeg, 3), "JPEG"},
        {"JPEG scrambled data", jpegGarbage, "damaged JPEG"},
        {"progressive JPEG half", cut(progressive, progressive.size() / 2), "JPEG data ends early"},
    };
    for (const damagedImage_t &c : cases) {
        SCOPED_TRACE(c.name);
        expectRefused(c);
    }
}

// 63 x 47 pixels span 7.875 x 5.875 at 1/8, 15.75 x 11.75 at 2/8 and so on,
// each shown in whole pixels. A picture read by rows skips the slow scales
// 3/8, 5/8, 6/8 and 7/8; one turned (upside down here), which is held
// whole, takes the smallest.
TEST(JpegDecoder, TakesTheSmallestScaleStillAtLeastTheWantedSize)
{
    const bytes_t upright = encodeJpeg(colourfulImage(63, 47), jpegKind_t::colour);
    const bytes_t turned = encodeJpeg(colourfulImage(63, 47), jpegKind_t::colour, {exifOrientationBlock(3, false), {}});
    const struct {
        uint32_t minWidth, minHeight;
        uint32_t uprightWidth, uprightHeight, turnedWidth, turnedHeight;
        double uprightOverhang, turnedOverhang; ///< the same both ways
    } cases[] = {{7, 5, 8, 6, 8, 6, 0.125, 0.125},       {9, 1, 16, 12, 16, 12, 0.25, 0.25},
                 {1, 13, 32, 24, 24, 18, 0.5, 0.375},     {32, 24, 63, 47, 40, 30, 0, 0.625},
                 {56, 42, 63, 47, 63, 47, 0, 0},          {64, 48, 63, 47, 63, 47, 0, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.minWidth << "x" << c.minHeight);
        for (const bool isTurned : {false, true}) {
            const bytes_t &file = isTurned ? turned : upright;
            decodedBitmap_t bitmap;
            decodeFailure_t failure;
            ASSERT_TRUE(decodeJpegAtLeast(file.data(), file.size(), c.minWidth, c.minHeight, &bitmap, &failure));
            EXPECT_EQ(bitmap.width, isTurned ? c.turnedWidth : c.uprightWidth) << isTurned;
            EXPECT_EQ(bitmap.height, isTurned ? c.turnedHeight : c.uprightHeight) << isTurned;
            EXPECT_EQ(bitmap.overhangRight, isTurned ? c.turnedOverhang : c.uprightOverhang) << isTurned;
            EXPECT_EQ(bitmap.overhangBottom, isTurned ? c.turnedOverhang : c.uprightOverhang) << isTurned;
        }
    }
}

} // namespace
