#include <gtest/gtest.h>

#include "decoderChecks_support.h"
#include "decoders/bitmapStream.h"
#include "decoders/bmp.h"
#include "fixtures/bmpFiles.h"

namespace {

constexpr uint32_t kHeight = 5;

const std::vector<uint32_t> k565 = {0xf800, 0x07e0, 0x001f, 0};
const std::vector<uint32_t> k888 = {0xff0000, 0xff00, 0xff, 0};

/// Decodes `file` directly; `reason` is the decoder's, "" when it gave none.
bool decode(const bytes_t &file, decodedBitmap_t *bitmap, std::string *reason = nullptr)
{
    decodeFailure_t failure;
    const bool decoded = decodeBmp(file.data(), file.size(), bitmap, &failure);
    if (reason != nullptr)
        *reason = failure.reason() != nullptr ? failure.reason() : "";
    return decoded;
}

TEST(BmpDecoder, EveryVariantGivesItsPixelsExactly)
{
    for (const bmpVariant_t &c : bmpVariants()) {
        SCOPED_TRACE(c.name);
        const bytes_t file = encodeBmpFile(c.spec);
        decodedBitmap_t bitmap;
        std::string reason;
        ASSERT_TRUE(decode(file, &bitmap, &reason)) << reason;
        EXPECT_EQ(bitmap.width, c.spec.width);
        EXPECT_EQ(bitmap.height, c.spec.height);
        EXPECT_EQ(bitmap.alpha, c.alpha);
        EXPECT_EQ(bitmap.pixels, bmpExpectedBgra(c.spec, c.alpha));
    }
}

// As a file's content: the variants are taken for BMP and come out as
// their pixels.
TEST(BmpDecoder, EveryVariantIsTranslatedToItsPixels)
{
    expectEveryVariantDecoded("BMP");
}

TEST(BmpDecoder, BitFieldsAreScaledByRounding)
{
    // Shifting would give red 128 and green 132; truncating 131 and 133.
    bmpSpec_t spec = packedBmpSpec(40, 16, 3, k565);
    spec.width = spec.height = 1;
    spec.pixels = {16 << 11 | 33 << 5 | 1};
    decodedBitmap_t bitmap;
    ASSERT_TRUE(decode(encodeBmpFile(spec), &bitmap));
    EXPECT_EQ(bitmap.pixels, (bytes_t{8, 134, 132, 255}));
}

// An odd width gives the rows their padding; several rows tell bottom-up
// from top-down.
TEST(BmpDecoder, TwentyFourBitFileGivesIdenticalPixels)
{
    const rgbaImage_t image = colourfulImage(5, 3);
    const decodedFile_t result = decodeBytes(encodeBmp(image));
    expectBitmap(result, 5, 3, kColorsRgb32);
    EXPECT_EQ(result.bitmap.pixels, toBgra(image, false));
}

bytes_t patched(bytes_t file, size_t offset, uint32_t value, int bytes = 4)
{
    for (int i = 0; i < bytes; ++i)
        file.at(offset + i) = uint8_t(value >> (8 * i));
    return file;
}

bytes_t rle8(bytes_t data)
{
    bmpSpec_t spec = indexedBmpSpec(40, 8, 1, 16, 7);
    spec.runLengthData = data;
    return encodeBmpFile(spec);
}

TEST(BmpDecoder, DamagedFilesAreRefusedWithAReason)
{
    const bytes_t rgb = encodeBmpFile(packedBmpSpec(40, 24, 0, {}));
    const bytes_t pal8 = encodeBmpFile(indexedBmpSpec(40, 8, 0, 256, 256));
    const bytes_t rle = encodeBmpFile(indexedBmpSpec(40, 8, 1, 16, 7));
    const char *early = "BMP data ends early";
    const char *past = "RLE data runs past the image";
    const struct {
        const char *name;
        bytes_t file;
        const char *reason;
    } cases[] = {
        {"another format", {'G', 'I', 'F', '8'}, "not a BMP file"},
        {"cut inside the header", cut(rgb, 30), "BMP header ends early"},
        {"header size 200", patched(rgb, 14, 200), "unsupported BMP header size 200"},
        {"no planes", patched(rgb, 26, 0, 2), "BMP plane count is not 1"},
        {"3 bits", patched(rgb, 28, 3, 2), "unsupported BMP bit depth 3"},
        {"JPEG inside", patched(rgb, 30, 4), "unsupported BMP compression 4"},
        {"OS/2 Huffman", patched(encodeBmpFile(indexedBmpSpec(64, 1, 0, 2, 2)), 30, 3),
         "unsupported OS/2 BMP compression 3"},
        {"RLE8 of 4 bits", patched(rle, 28, 4, 2), "BMP compression 1 does not fit 4 bits per pixel"},
        {"24-bit bit fields", encodeBmpFile(packedBmpSpec(40, 24, 3, k888)),
         "BMP compression 3 does not fit 24 bits per pixel"},
        {"16-bit mask of 21 bits", encodeBmpFile(packedBmpSpec(40, 16, 3, {0x1f0000, 0x7e0, 0x1f})),
         "BMP colour mask wider than 16 bits"},
        {"zero width", patched(rgb, 18, 0), "BMP has no pixels"},
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
        EXPECT_FALSE(decode(c.file, &bitmap, &reason));
        EXPECT_EQ(reason, c.reason);
        EXPECT_TRUE(bitmap.pixels.empty());
    }
}

// As a file's content, which is recognised first.
TEST(BmpDecoder, BrokenFilesWriteNothing)
{
    const bytes_t bmp = encodeBmp(colourfulImage(7, 5));
    bytes_t bmpHuge = bmp;
    bmpHuge[18] = bmpHuge[22] = 0x30; // 30000 x 30000
    bmpHuge[19] = bmpHuge[23] = 0x75;
    // 47 x 4194309 pixels fit the 1 GiB limit, but not in a file of this
    // size: refused at once rather than decoded row by row from nothing.
    bytes_t bmpTooShort = cut(bmp, 56);
    bmpTooShort[18] = 47;
    bmpTooShort[19] = bmpTooShort[20] = bmpTooShort[21] = 0;
    bmpTooShort[22] = 5;
    bmpTooShort[23] = bmpTooShort[25] = 0;
    bmpTooShort[24] = 0x40;
    const damagedImage_t cases[] = {
        {"BMP half", cut(bmp, bmp.size() / 2), "BMP data ends early"},
        {"BMP without its last row", cut(bmp, bmp.size() - 24), "BMP data ends early"},
        {"BMP 30000 x 30000", bmpHuge, "larger than 1 GiB"},
        {"BMP far too short for its size", bmpTooShort, "BMP data ends early"},
    };
    for (const damagedImage_t &c : cases) {
        SCOPED_TRACE(c.name);
        expectRefused(c);
    }
}

} // namespace
