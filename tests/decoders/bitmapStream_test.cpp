#include <gtest/gtest.h>

#include "decoderChecks_support.h"
#include "fixtures/bitmapStream.h"

namespace {

// A stream is taken before any decoder is asked, and its header is what the
// load shows: also when the header is then refused, but not when it cannot
// be read.
TEST(BitmapStream, HeaderIsKeptWhenItsClaimIsRefused)
{
    bytes_t littleEndian = bitmapStream(8, kColorsRgb32, 8, bytes_t(8, 1));
    std::swap(littleEndian[0], littleEndian[3]);
    std::swap(littleEndian[1], littleEndian[2]);
    const struct {
        const char *name;
        bytes_t file;
        const char *reason;
        bool header;
    } cases[] = {
        {"header cut short", cut(bitmapStream(8, kColorsRgb32, 8, {}), 31), "", false},
        {"little-endian magic", littleEndian, "not a bitmap stream (wrong magic)", false},
        {"palette colour space", bitmapStream(8, 0x0004, 8, bytes_t(8, 1)),
         "colour space is neither B_RGB32 nor B_RGBA32", true},
        {"row below a pixel", bitmapStream(3, kColorsRgb32, 8, bytes_t(8, 1)), "row size is smaller than one pixel",
         true},
        {"claim beyond 1 GiB", bitmapStream(4, kColorsRgb32, (1u << 30) + 4, {1, 2, 3, 4}),
         "pixel data larger than 1 GiB", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const decodedFile_t result = decodeBytes(c.file);
        EXPECT_EQ(result.refusedBy, refusedBy_t::streamHeader);
        EXPECT_EQ(result.reason, c.reason);
        EXPECT_EQ(bool(result.header), c.header);
        // Refused before the claim is allocated.
        EXPECT_EQ(result.bitmap.pixels.capacity(), 0u);
    }
}

TEST(BitmapStream, PixelsAreTakenAsTheyComeWithABlackTail)
{
    const bytes_t payload = {10, 20, 30, 0, 40, 50, 60, 128, 70, 80};
    const decodedFile_t result = decodeBytes(bitmapStream(8, kColorsRgba32, 24, payload));
    ASSERT_EQ(result.refusedBy, refusedBy_t::nothing) << result.reason;
    ASSERT_TRUE(result.header);
    EXPECT_EQ(result.header->rowBytes, 8u);
    EXPECT_EQ(result.header->colors, uint32_t(kColorsRgba32));
    EXPECT_EQ(result.header->dataSize, 24u);
    EXPECT_EQ(result.bitmap.width, 2u);
    EXPECT_EQ(result.bitmap.height, 3u);
    EXPECT_TRUE(result.bitmap.alpha);
    bytes_t expected = payload;
    expected.resize(24, 0);
    EXPECT_EQ(result.bitmap.pixels, expected);
}

} // namespace
