#include <gtest/gtest.h>

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstring>
#include <functional>

#include "fixtures/imageFiles.h"
#include "support/scratch.h"
#include "platform/File.h"
#include "platform/GraphicsDefs.h"
#include "platform/TranslatorRoster.h"

namespace {

void expectBitmap(const translated_t &result, uint32_t width, uint32_t height, uint32_t colors)
{
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.rowBytes, width * 4);
    EXPECT_EQ(result.dataSize, width * height * 4);
    EXPECT_EQ(result.colors, colors);
    EXPECT_EQ(result.bounds[0], 0.0f);
    EXPECT_EQ(result.bounds[1], 0.0f);
    EXPECT_EQ(result.bounds[2], float(width - 1));
    EXPECT_EQ(result.bounds[3], float(height - 1));
    EXPECT_EQ(result.pixels.size(), size_t(result.dataSize));
}

rgbaImage_t withAlphaRamp(rgbaImage_t image)
{
    for (size_t i = 3; i < image.rgba.size(); i += 4)
        image.rgba[i] = uint8_t((i / 4) * 40);
    return image;
}

TEST(Translators, LosslessFormatsGiveIdenticalPixels)
{
    // An odd width gives BMP rows their padding; several rows tell the
    // bottom-up formats from the top-down ones.
    const rgbaImage_t image = colourfulImage(5, 3);
    const bytes_t expected = toBgra(image, false);
    const struct {
        const char *name;
        bytes_t file;
        uint32_t colors;
    } cases[] = {
        {"PNG", encodePng(image, false), B_RGB32},
        {"BMP", encodeBmp(image), B_RGB32},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const translated_t result = translateBytes(c.file);
        expectBitmap(result, 5, 3, c.colors);
        EXPECT_EQ(result.pixels, expected);
    }
}

TEST(Translators, AlphaIsKeptAndMarked)
{
    const rgbaImage_t image = withAlphaRamp(colourfulImage(4, 3));
    const bytes_t expected = toBgra(image, true);
    const struct {
        const char *name;
        bytes_t file;
    } cases[] = {
        {"PNG", encodePng(image, true)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const translated_t result = translateBytes(c.file);
        expectBitmap(result, 4, 3, B_RGBA32);
        EXPECT_EQ(result.pixels, expected);
    }
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

TEST(Translators, PngColourTypesAndDepths)
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

        const translated_t result = translateBytes(encodePng(spec));
        expectBitmap(result, width, height, c.alpha ? B_RGBA32 : B_RGB32);
        EXPECT_EQ(result.pixels, expected);
    }
}

rgbaImage_t uniformImage(uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    rgbaImage_t image;
    image.width = width;
    image.height = height;
    for (uint32_t i = 0; i < width * height; ++i)
        image.rgba.insert(image.rgba.end(), {r, g, b, a});
    return image;
}

TEST(Translators, JpegKinds)
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
        const translated_t result = translateBytes(c.file);
        expectBitmap(result, 24, 16, B_RGB32);
        for (size_t i = 0; i < result.pixels.size(); i += 4) {
            EXPECT_NEAR(result.pixels[i], c.b, 3) << i;
            EXPECT_NEAR(result.pixels[i + 1], c.g, 3) << i;
            EXPECT_NEAR(result.pixels[i + 2], c.r, 3) << i;
            EXPECT_EQ(result.pixels[i + 3], 255) << i;
        }
    }
}

bytes_t cut(bytes_t file, size_t length)
{
    file.resize(length);
    return file;
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

bytes_t text(const char *content)
{
    return bytes_t(content, content + std::strlen(content));
}

TEST(Translators, BrokenFilesWriteNothing)
{
    const rgbaImage_t image = colourfulImage(7, 5);
    const bytes_t png = encodePng(image, false);
    const bytes_t jpeg = encodeJpeg(image, jpegKind_t::colour);
    const bytes_t progressive = encodeJpeg(image, jpegKind_t::progressive);
    const bytes_t bmp = encodeBmp(image);

    bytes_t pngBadCrc = png;
    pngBadCrc[29] ^= 0x01;
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
    bytes_t jpegGarbage = jpeg;
    for (size_t i = jpeg.size() / 2; i < jpeg.size() - 2; ++i)
        jpegGarbage[i] = uint8_t(i * 7);

    // Each refusal gives its reason (a part of it here).
    const struct {
        const char *name;
        bytes_t file;
        const char *reason;
    } cases[] = {
        {"empty", {}, "the file is empty"},
        {"text", text("not an image at all\n"), "unknown file format"},
        {"PNG half", cut(png, png.size() / 2), "PNG data ends early"},
        {"PNG without its last byte", cut(png, png.size() - 1), "PNG data ends early"},
        {"PNG signature only", cut(png, 8), "PNG data ends early"},
        {"PNG bad header checksum", pngBadCrc, "damaged PNG: IHDR: CRC error"},
        {"PNG 20000 x 20000", pngWithSize(png, 20000, 20000), "20000 x 20000 pixels is larger than 1 GiB"},
        {"PNG zero width", pngWithSize(png, 0, 5), "damaged PNG"},
        {"JPEG half", cut(jpeg, jpeg.size() / 2), "JPEG data ends early"},
        {"JPEG without its last byte", cut(jpeg, jpeg.size() - 1), "JPEG data ends early"},
        {"JPEG start marker only", cut(jpeg, 3), "JPEG"},
        {"JPEG scrambled data", jpegGarbage, "damaged JPEG"},
        {"progressive JPEG half", cut(progressive, progressive.size() / 2), "JPEG data ends early"},
        {"BMP half", cut(bmp, bmp.size() / 2), "BMP data ends early"},
        {"BMP without its last row", cut(bmp, bmp.size() - 24), "BMP data ends early"},
        {"BMP 30000 x 30000", bmpHuge, "larger than 1 GiB"},
        {"BMP far too short for its size", bmpTooShort, "BMP data ends early"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const translated_t result = translateBytes(c.file);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.streamLength, 0u);
        EXPECT_NE(result.reason.find(c.reason), std::string::npos) << result.reason;
    }
}

TEST(Translators, BitmapStreamsPassUnchanged)
{
    bytes_t stream = text("bits and whatever follows, judged by the loader");
    const translated_t result = translateBytes(stream);
    // The stream is the file itself, header and all.
    EXPECT_EQ(result.streamLength, stream.size());
}

status_t translatePath(const std::string &path, size_t *written)
{
    BFile file(path.c_str(), B_READ_ONLY);
    BMallocIO destination;
    BTranslatorRoster *roster = BTranslatorRoster::Default();
    const status_t status =
        roster->Translate(&file, nullptr, nullptr, &destination, B_TRANSLATOR_BITMAP, 0, nullptr);
    delete roster;
    *written = destination.BufferLength();
    return status;
}

TEST(Translators, UnusableSourcesWriteNothing)
{
    const std::string directory = scratchDirectory();
    const std::string empty = writeScratchFile("empty.png", {});
    const struct {
        const char *name;
        std::string path;
    } cases[] = {
        {"missing", directory + "/no such file.png"},
        {"directory", directory},
        {"empty", empty},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        size_t written = 1;
        EXPECT_NE(translatePath(c.path, &written), B_OK);
        EXPECT_EQ(written, 0u);
    }
}

TEST(Translators, UnreadableFileWritesNothing)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    const std::string path = writeScratchFile("locked.png", encodePng(colourfulImage(2, 2), false));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    size_t written = 1;
    EXPECT_NE(translatePath(path, &written), B_OK);
    EXPECT_EQ(written, 0u);
}

TEST(Translators, FilesAreRecognisedByContentNotName)
{
    const rgbaImage_t image = colourfulImage(3, 2);
    const std::string path = writeScratchFile("really-a-bmp.png", encodeBmp(image));
    BFile file(path.c_str(), B_READ_ONLY);
    BMallocIO destination;
    BTranslatorRoster *roster = BTranslatorRoster::Default();
    EXPECT_EQ(roster->Translate(&file, nullptr, nullptr, &destination, B_TRANSLATOR_BITMAP, 0, nullptr),
              B_OK);
    delete roster;
    EXPECT_EQ(destination.BufferLength(), kBitmapStreamHeaderSize + 3 * 2 * 4);
}

} // namespace
