#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <cstring>

#include "decoderChecks_support.h"
#include "decoders/bitmapStream.h"

namespace {


rgbaImage_t withAlphaRamp(rgbaImage_t image)
{
    for (size_t i = 3; i < image.rgba.size(); i += 4)
        image.rgba[i] = uint8_t((i / 4) * 40);
    return image;
}

TEST(PngDecoder, LosslessPixels)
{
    const rgbaImage_t image = colourfulImage(5, 3);
    const decodedFile_t result = decodeBytes(encodePng(image, false));
    expectBitmap(result, 5, 3, kColorsRgb32);
    EXPECT_EQ(result.bitmap.pixels, toBgra(image, false));
}

TEST(PngDecoder, AlphaIsKeptAndMarked)
{
    const rgbaImage_t image = withAlphaRamp(colourfulImage(4, 3));
    const decodedFile_t result = decodeBytes(encodePng(image, true));
    expectBitmap(result, 4, 3, kColorsRgba32);
    EXPECT_EQ(result.bitmap.pixels, toBgra(image, true));
}

// The pixel a PNG of the given kind should decode to: samples below 8 bits
// are scaled up, 16-bit samples keep their high byte.
struct pngCase_t {
    const char *name;
    int colorType;
    int bitDepth;
    bool interlaced;
    bool alpha;
};

uint8_t to8(uint16_t sample, int depth)
{
    return depth == 16 ? uint8_t(sample >> 8) : uint8_t(sample * 255 / ((1 << depth) - 1));
}

TEST(PngDecoder, ColourTypesAndDepths)
{
    const pngCase_t cases[] = {
        {"grey 1", PNG_COLOR_TYPE_GRAY, 1, false, false},
        {"grey 2", PNG_COLOR_TYPE_GRAY, 2, false, false},
        {"grey 4", PNG_COLOR_TYPE_GRAY, 4, false, false},
        {"grey 8", PNG_COLOR_TYPE_GRAY, 8, false, false},
        {"grey 16", PNG_COLOR_TYPE_GRAY, 16, false, false},
        {"grey alpha 8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, true},
        {"grey alpha 16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, true},
        {"rgb 16", PNG_COLOR_TYPE_RGB, 16, false, false},
        {"rgba 16", PNG_COLOR_TYPE_RGBA, 16, false, true},
        {"rgb 8 interlaced", PNG_COLOR_TYPE_RGB, 8, true, false},
        {"rgba 8 interlaced", PNG_COLOR_TYPE_RGBA, 8, true, true},
        {"palette 1", PNG_COLOR_TYPE_PALETTE, 1, false, false},
        {"palette 2", PNG_COLOR_TYPE_PALETTE, 2, false, false},
        {"palette 4", PNG_COLOR_TYPE_PALETTE, 4, true, false},
        {"palette 8", PNG_COLOR_TYPE_PALETTE, 8, false, false},
        {"palette 8 transparent", PNG_COLOR_TYPE_PALETTE, 8, false, true},
        {"grey 8 colour key", PNG_COLOR_TYPE_GRAY, 8, false, true},
    };
    const uint32_t width = 9, height = 7; // more than one Adam7 block
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        pngSpec_t spec{width, height, c.colorType, c.bitDepth, c.interlaced, {}, {}, {}};
        const bool palette = c.colorType == PNG_COLOR_TYPE_PALETTE;
        const int colours = (c.colorType & PNG_COLOR_MASK_COLOR) && !palette ? 3 : 1;
        const bool alphaChannel = (c.colorType & PNG_COLOR_MASK_ALPHA) != 0;
        const uint32_t top = (1u << c.bitDepth) - 1;
        if (palette) {
            for (uint32_t i = 0; i <= top; ++i)
                spec.paletteRgb.insert(spec.paletteRgb.end(),
                                       {uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3 + 1)});
            if (c.alpha)
                for (uint32_t i = 0; i <= top; ++i)
                    spec.paletteAlpha.push_back(uint8_t(i * 11));
        } else if (c.alpha && !alphaChannel) {
            spec.grayKey = true;
            spec.grayKeyValue = 30;
        }

        bytes_t expected;
        for (uint32_t p = 0; p < width * height; ++p) {
            uint16_t sample[4];
            for (int k = 0; k < colours; ++k) {
                sample[k] = uint16_t((p * 5 + k * 3) % (top + 1));
                if (c.bitDepth == 16)
                    sample[k] = uint16_t(sample[k] * 251 + k);
                spec.samples.push_back(sample[k]);
            }
            uint8_t alpha = 255;
            if (alphaChannel) {
                const uint16_t a = uint16_t((p * 13) % (top + 1));
                spec.samples.push_back(a);
                alpha = to8(a, c.bitDepth);
            }
            uint8_t r, g, b;
            if (palette) {
                r = spec.paletteRgb[sample[0] * 3];
                g = spec.paletteRgb[sample[0] * 3 + 1];
                b = spec.paletteRgb[sample[0] * 3 + 2];
                if (c.alpha)
                    alpha = spec.paletteAlpha[sample[0]];
            } else {
                r = to8(sample[0], c.bitDepth);
                g = to8(sample[colours == 3 ? 1 : 0], c.bitDepth);
                b = to8(sample[colours == 3 ? 2 : 0], c.bitDepth);
                if (spec.grayKey)
                    alpha = sample[0] == spec.grayKeyValue ? 0 : 255;
            }
            expected.insert(expected.end(), {b, g, r, alpha});
        }

        const decodedFile_t result = decodeBytes(encodePng(spec));
        expectBitmap(result, width, height, c.alpha ? kColorsRgba32 : kColorsRgb32);
        EXPECT_EQ(result.bitmap.pixels, expected);
    }
}

// Rewrites the size in a PNG's IHDR and its checksum, so that only the
// size is wrong.
bytes_t pngWithSize(bytes_t file, uint32_t width, uint32_t height)
{
    const uint8_t size[8] = {uint8_t(width >> 24), uint8_t(width >> 16), uint8_t(width >> 8),
                             uint8_t(width), uint8_t(height >> 24), uint8_t(height >> 16),
                             uint8_t(height >> 8), uint8_t(height)};
    std::memcpy(&file[16], size, 8);
    const uLong crc = crc32(0, &file[12], 17);
    const uint8_t stored[4] = {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)};
    std::memcpy(&file[29], stored, 4);
    return file;
}

TEST(PngDecoder, BrokenFilesWriteNothing)
{
    const bytes_t png = encodePng(colourfulImage(7, 5), false);
    bytes_t pngBadCrc = png;
    pngBadCrc[29] ^= 0x01;
    const damagedImage_t cases[] = {
        {"PNG half", cut(png, png.size() / 2), "PNG data ends early"},
        {"PNG without its last byte", cut(png, png.size() - 1), "PNG data ends early"},
        {"PNG signature only", cut(png, 8), "PNG data ends early"},
        {"PNG bad header checksum", pngBadCrc, "damaged PNG: IHDR: CRC error"},
        {"PNG 20000 x 20000", pngWithSize(png, 20000, 20000), "20000 x 20000 pixels is larger than 1 GiB"},
        {"PNG zero width", pngWithSize(png, 0, 5), "damaged PNG"},
    };
    for (const damagedImage_t &c : cases) {
        SCOPED_TRACE(c.name);
        expectRefused(c);
    }
}

} // namespace
