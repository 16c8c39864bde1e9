// Writers of small image files in several formats, for feeding the
// translators from the tests, and a reader of the bitmap streams they make.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> bytes_t;

/// An 8-bit image in red, green, blue, alpha order, rows top to bottom.
struct rgbaImage_t {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
};

/// A small image of distinct opaque colours (fewer than 256 of them).
rgbaImage_t colourfulImage(uint32_t width, uint32_t height);

/// The pixel at a column and row: red, green, blue, alpha.
const uint8_t *pixelAt(const rgbaImage_t &image, uint32_t column, uint32_t row);

/// Integers appended in little- or big-endian byte order.
void put16le(bytes_t &out, uint32_t v);
void put32le(bytes_t &out, uint32_t v);
void put16be(bytes_t &out, uint32_t v);
void put32be(bytes_t &out, uint32_t v);

/// The same pixels as the loaders deliver them: blue, green, red, fourth
/// byte; without alpha the fourth byte is 255.
bytes_t toBgra(const rgbaImage_t &image, bool keepAlpha);

/// A PNG with raw samples: `samples` holds channels x width x height values
/// of `bitDepth` bits each, packed by the writer.
struct pngSpec_t {
    uint32_t width;
    uint32_t height;
    int colorType;
    int bitDepth;
    bool interlaced;
    std::vector<uint16_t> samples;
    std::vector<uint8_t> paletteRgb; ///< for palette images
    std::vector<uint8_t> paletteAlpha; ///< tRNS of a palette image
    bool grayKey = false; ///< tRNS of a grey image: grayKeyValue is transparent
    uint16_t grayKeyValue = 0;
};
bytes_t encodePng(const pngSpec_t &spec);
/// 8-bit RGB or RGBA PNG of an image.
bytes_t encodePng(const rgbaImage_t &image, bool alpha);

/// 24-bit bottom-up BMP (rows padded to four bytes).
bytes_t encodeBmp(const rgbaImage_t &image);

enum class jpegKind_t { colour, grey, progressive, cmykAdobe };
/// A JPEG at quality 95. For cmykAdobe the red, green, blue, alpha bytes of
/// the image are written as (inverted) C, M, Y, K.
bytes_t encodeJpeg(const rgbaImage_t &image, jpegKind_t kind);

/// What a translator made of a file.
struct translated_t {
    bool ok = false;
    uint32_t rowBytes = 0;
    uint32_t colors = 0;
    uint32_t dataSize = 0;
    float bounds[4] = {0, 0, 0, 0};
    bytes_t pixels;
    size_t streamLength = 0;
    std::string reason; ///< the roster's reason for a failure
};
/// Runs the default roster on `file` as it would run on a file's content.
translated_t translateBytes(const bytes_t &file);
