#include <gtest/gtest.h>

#include <cmath>

#include "bmpFiles_support.h"
#include "platform/translators/bmpDecoder.h"

namespace {

// An odd width gives every depth its row padding.
constexpr uint32_t kWidth = 13, kHeight = 5;

// `paletteSize` colours; indices below `indexRange`, in runs on the left
// and without them on the right.
bmpSpec_t indexed(uint32_t headerSize, uint16_t bits, uint32_t compression, uint32_t paletteSize,
                  uint32_t indexRange)
{
    bmpSpec_t spec;
    spec.width = kWidth;
    spec.height = kHeight;
    spec.headerSize = headerSize;
    spec.bits = bits;
    spec.compression = compression;
    for (uint32_t i = 0; i < paletteSize; ++i)
        spec.paletteBgr.insert(spec.paletteBgr.end(),
                               {uint8_t(10 + 7 * i), uint8_t(200 - 3 * i), uint8_t(13 * i)});
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x)
            spec.pixels.push_back(x < 6 ? (y + x / 3) % indexRange : (x * 5 + y * 3) % indexRange);
    return spec;
}

// Scattered values, the first pixel all ones and the second all zeros; the
// palette is there only for files that carry one they do not need.
bmpSpec_t packed(uint32_t headerSize, uint16_t bits, uint32_t compression,
                 std::vector<uint32_t> masks, uint32_t paletteSize = 0)
{
    bmpSpec_t spec = indexed(headerSize, bits, compression, paletteSize, 1);
    for (size_t i = 0; i < spec.pixels.size(); ++i)
        spec.pixels[i] = i == 0 ? 0xffffffff : i == 1 ? 0 : uint32_t(i * 2654435761u);
    for (size_t i = 0; i < masks.size(); ++i)
        spec.masks[i] = masks[i];
    return spec;
}

bmpSpec_t withGap(bmpSpec_t spec, uint32_t gap, uint32_t colorsUsed = 0)
{
    spec.gap = gap;
    spec.colorsUsed = colorsUsed;
    return spec;
}

bmpSpec_t topDown(bmpSpec_t spec)
{
    spec.topDown = true;
    return spec;
}

bmpSpec_t withRowPadding(bmpSpec_t spec)
{
    spec.runLengthPadding = true;
    return spec;
}

// Hand-made RLE: `pixels` are the indices it must give, 0 where it skips.
bmpSpec_t handMadeRle(uint16_t bits, bytes_t data, std::vector<uint32_t> pixels)
{
    bmpSpec_t spec = indexed(40, bits, bits == 8 ? 1 : 2, 16, 1);
    spec.width = 6;
    spec.height = 3;
    spec.runLengthData = data;
    spec.pixels = pixels;
    return spec;
}

uint8_t scaled(uint32_t value, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const uint32_t lowest = mask & (~mask + 1);
    return uint8_t(std::lround((value & mask) / lowest * 255.0 / (mask / lowest)));
}

// Palette entries (black past the palette), the three bytes of a 24-bit
// pixel, or each mask's channel scaled by rounding.
bytes_t expectedBgra(const bmpSpec_t &spec, bool alpha)
{
    bytes_t out;
    for (uint32_t v : spec.pixels) {
        if (spec.bits <= 8) {
            const bool inPalette = v < spec.paletteBgr.size() / 3;
            for (int i = 0; i < 3; ++i)
                out.push_back(inPalette ? spec.paletteBgr[v * 3 + i] : 0);
            out.push_back(255);
        } else if (spec.bits == 24) {
            out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), 255});
        } else {
            const uint32_t m = spec.bits == 16 ? 0xffff : 0xffffffff;
            out.insert(out.end(), {scaled(v & m, spec.masks[2]), scaled(v & m, spec.masks[1]),
                                   scaled(v & m, spec.masks[0]),
                                   alpha ? scaled(v & m, spec.masks[3]) : uint8_t(255)});
        }
    }
    return out;
}

const std::vector<uint32_t> k555 = {0x7c00, 0x03e0, 0x001f, 0};
const std::vector<uint32_t> k565 = {0xf800, 0x07e0, 0x001f, 0};
const std::vector<uint32_t> k888 = {0xff0000, 0xff00, 0xff, 0};
const std::vector<uint32_t> k8888 = {0xff0000, 0xff00, 0xff, 0xff000000};

TEST(BmpDecoder, EveryVariantGivesItsPixelsExactly)
{
    const struct {
        const char *name;
        bmpSpec_t spec;
        bool alpha;
    } cases[] = {
        {"OS/2 1.x 1-bit", indexed(12, 1, 0, 2, 2), false},
        {"OS/2 1.x 4-bit", indexed(12, 4, 0, 16, 16), false},
        {"OS/2 1.x 8-bit", indexed(12, 8, 0, 256, 256), false},
        {"OS/2 1.x 8-bit, palette ends where the data starts", indexed(12, 8, 0, 20, 40), false},
        {"OS/2 1.x 24-bit", packed(12, 24, 0, {}), false},
        {"OS/2 2.x 64-byte 8-bit", indexed(64, 8, 0, 256, 256), false},
        {"OS/2 2.x 16-byte 4-bit", indexed(16, 4, 0, 16, 16), false},
        {"OS/2 2.x 36-byte RLE8, 30 colours", indexed(36, 8, 1, 30, 30), false},
        {"1-bit, one colour used", withGap(indexed(40, 1, 0, 1, 2), 0, 1), false},
        {"2-bit", indexed(40, 2, 0, 4, 4), false},
        {"4-bit, 5 colours used", withGap(indexed(40, 4, 0, 5, 16), 0, 5), false},
        {"8-bit top-down", topDown(indexed(40, 8, 0, 256, 256)), false},
        {"8-bit, gap before the data", withGap(indexed(108, 8, 0, 9, 9), 7, 9), false},
        {"RLE8", indexed(40, 8, 1, 256, 7), false},
        {"RLE8, gap before the data", withGap(indexed(40, 8, 1, 256, 7), 6), false},
        {"RLE4", indexed(40, 4, 2, 16, 3), false},
        {"RLE4 with literal runs", indexed(124, 4, 2, 16, 16), false},
        {"RLE8 rows with their padding", withRowPadding(indexed(40, 8, 1, 256, 256)), false},
        {"RLE4 rows with their padding", withRowPadding(indexed(40, 4, 2, 16, 16)), false},
        {"RLE8 delta, early end of line and of bitmap",
         handMadeRle(8, {3, 1, 0, 2, 2, 1, 1, 2, 0, 0, 0, 3, 4, 5, 6, 0, 0, 1},
                     {4, 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 1, 1, 0, 0, 0}),
         false},
        {"RLE4 alternating run, literal run, delta, early end of bitmap",
         handMadeRle(4, {4, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 2, 1, 0, 1, 0x60, 0, 1},
                     {0, 0, 0, 0, 0, 0, 3, 4, 5, 0, 6, 0, 1, 2, 1, 2, 0, 0}),
         false},
        {"16-bit plain is 5-5-5", packed(40, 16, 0, k555), false},
        {"24-bit", packed(40, 24, 0, {}), false},
        {"24-bit top-down, unused palette and a gap",
         topDown(withGap(packed(40, 24, 0, {}, 3), 10, 3)), false},
        {"32-bit plain: fourth byte unused", packed(40, 32, 0, k888), false},
        {"32-bit plain, 124-byte header: alpha mask ignored", packed(124, 32, 0, k8888), false},
        {"5-6-5 bit fields", packed(40, 16, 3, k565), false},
        {"4-4-4-4 alpha bit fields", packed(40, 16, 6, {0x0f00, 0x00f0, 0x000f, 0xf000}), true},
        {"5-5-5 bit fields, 52-byte header", packed(52, 16, 3, k555), false},
        {"1-5-5-5, 56-byte header", packed(56, 16, 3, {0x7c00, 0x03e0, 0x001f, 0x8000}), true},
        {"5-6-5, 108-byte header", packed(108, 16, 3, k565), false},
        {"8-8-8-8, 124-byte header and a gap", withGap(packed(124, 32, 3, k8888), 12), true},
        {"10-10-10 bit fields", packed(40, 32, 3, {0x3ff00000, 0xffc00, 0x3ff, 0}), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const bytes_t file = encodeBmpFile(c.spec);
        decodedBitmap_t bitmap;
        std::string reason;
        ASSERT_TRUE(decodeBmp(file.data(), file.size(), &bitmap, &reason)) << reason;
        EXPECT_EQ(bitmap.width, c.spec.width);
        EXPECT_EQ(bitmap.height, c.spec.height);
        EXPECT_EQ(bitmap.alpha, c.alpha);
        EXPECT_EQ(bitmap.pixels, expectedBgra(c.spec, c.alpha));
    }
}

TEST(BmpDecoder, BitFieldsAreScaledByRounding)
{
    // Shifting would give red 128 and green 132; truncating 131 and 133.
    bmpSpec_t spec = packed(40, 16, 3, k565);
    spec.width = spec.height = 1;
    spec.pixels = {16 << 11 | 33 << 5 | 1};
    const bytes_t file = encodeBmpFile(spec);
    decodedBitmap_t bitmap;
    ASSERT_TRUE(decodeBmp(file.data(), file.size(), &bitmap, nullptr));
    EXPECT_EQ(bitmap.pixels, (bytes_t{8, 134, 132, 255}));
}

bytes_t patched(bytes_t file, size_t offset, uint32_t value, int bytes = 4)
{
    for (int i = 0; i < bytes; ++i)
        file.at(offset + i) = uint8_t(value >> (8 * i));
    return file;
}

bytes_t cut(const bytes_t &file, size_t length)
{
    return bytes_t(file.begin(), file.begin() + length);
}

bytes_t rle8(bytes_t data)
{
    bmpSpec_t spec = indexed(40, 8, 1, 16, 7);
    spec.runLengthData = data;
    return encodeBmpFile(spec);
}

TEST(BmpDecoder, DamagedFilesAreRefusedWithAReason)
{
    const bytes_t rgb = encodeBmpFile(packed(40, 24, 0, {}));
    const bytes_t pal8 = encodeBmpFile(indexed(40, 8, 0, 256, 256));
    const bytes_t rle = encodeBmpFile(indexed(40, 8, 1, 16, 7));
    const char *early = "BMP data ends early";
    const char *past = "RLE data runs past the image";
    const struct {
        const char *name;
        bytes_t file;
        const char *reason;
    } cases[] = {
        {"another format", {'G', 'I', 'F', '8'}, "not a BMP file"},
        {"cut inside the header", cut(rgb, 30), "BMP header ends early"},
        {"header size 13", patched(rgb, 14, 13), "unsupported BMP header size 13"},
        {"header size 200", patched(rgb, 14, 200), "unsupported BMP header size 200"},
        {"no planes", patched(rgb, 26, 0, 2), "BMP plane count is not 1"},
        {"3 bits", patched(rgb, 28, 3, 2), "unsupported BMP bit depth 3"},
        {"JPEG inside", patched(rgb, 30, 4), "unsupported BMP compression 4"},
        {"OS/2 Huffman", patched(encodeBmpFile(indexed(64, 1, 0, 2, 2)), 30, 3),
         "unsupported OS/2 BMP compression 3"},
        {"RLE8 of 4 bits", patched(rle, 28, 4, 2), "BMP compression 1 does not fit 4 bits per pixel"},
        {"24-bit bit fields", encodeBmpFile(packed(40, 24, 3, k888)),
         "BMP compression 3 does not fit 24 bits per pixel"},
        {"16-bit mask of 21 bits", encodeBmpFile(packed(40, 16, 3, {0x1f0000, 0x7e0, 0x1f})),
         "BMP colour mask wider than 16 bits"},
        {"zero width", patched(rgb, 18, 0), "BMP has no pixels"},
        {"negative width", patched(rgb, 18, uint32_t(-5)), "BMP has no pixels"},
        {"zero height", patched(rgb, 22, 0), "BMP has no pixels"},
        {"30000 x 30000", patched(patched(rgb, 18, 30000), 22, 30000), "BMP image larger than 1 GiB"},
        {"height -2^31", patched(rgb, 22, 0x80000000), "BMP image larger than 1 GiB"},
        {"top-down RLE", patched(rle, 22, uint32_t(-int32_t(kHeight))), "RLE BMP stored top-down"},
        {"data offset inside the header", patched(rgb, 10, 40), "BMP pixel data starts inside the header"},
        {"data offset past the end", patched(rgb, 10, uint32_t(rgb.size() + 8)), early},
        {"palette cut short", cut(pal8, 300), early},
        {"last row cut short", cut(rgb, rgb.size() - 4 * 10), early},
        {"RLE cut short", cut(rle, rle.size() - 3), early},
        {"RLE literal run cut short", rle8({0, 5, 1, 2}), early},
        {"RLE delta cut short", rle8({0, 2, 1}), early},
        // Runs may cover the padding of a stored row (13 pixels pad to 16).
        {"RLE run past the row's padding", rle8({17, 1, 0, 1}), past},
        {"RLE literal run past the row's padding", rle8({14, 1, 0, 3, 1, 2, 3, 0, 0, 1}), past},
        {"RLE delta out of the image", rle8({0, 2, 0, kHeight + 1, 0, 1}), past},
        {"RLE run above the top row", rle8({0, 2, 0, kHeight, 1, 1, 0, 1}), past},
        {"RLE line ends above the top row", rle8(bytes_t(2 * (kHeight + 1), 0)), past},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        decodedBitmap_t bitmap;
        std::string reason;
        EXPECT_FALSE(decodeBmp(c.file.data(), c.file.size(), &bitmap, &reason));
        EXPECT_EQ(reason, c.reason);
        EXPECT_TRUE(bitmap.pixels.empty());
    }
}

} // namespace
