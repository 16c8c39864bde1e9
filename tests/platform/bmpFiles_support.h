// A writer of BMP files in every layout the decoder reads, from raw pixel
// values, so that a test knows what each pixel of the file holds.
#pragma once

#include "imageFiles_support.h"

/// One BMP file to write.
struct bmpSpec_t {
    uint32_t width = 0;
    uint32_t height = 0;
    /// 12: OS/2 1.x; 16 to 64 (but 40, 52, 56): OS/2 2.x, fields past the
    /// size cut off; 40, 52, 56, 108, 124: Windows.
    uint32_t headerSize = 40;
    uint16_t bits = 24;
    uint32_t compression = 0; ///< as written: 0 plain, 1 RLE8, 2 RLE4, 3 and 6 bit fields
    /// Red, green, blue, alpha: after a 40-byte header when compression is 3
    /// (three of them) or 6 (four); inside every longer Windows header.
    uint32_t masks[4] = {0, 0, 0, 0};
    bool topDown = false;
    std::vector<uint8_t> paletteBgr; ///< three bytes per entry
    uint32_t colorsUsed = 0; ///< as the header states it
    uint32_t gap = 0; ///< bytes of filler between the palette and the pixel data
    /// Per pixel, top row first: the palette index, or the packed value of
    /// a 16-, 24- or 32-bit pixel, least significant byte first in the file.
    std::vector<uint32_t> pixels;
    /// With RLE: written as the pixel data instead of encoding `pixels`.
    bytes_t runLengthData;
    /// With RLE: each row is encoded with the pixels that pad a stored row
    /// to four bytes, as some writers do.
    bool runLengthPadding = false;
};

/// The file `spec` describes; RLE data is encoded from `pixels` (encoded
/// runs, literal runs, an end of line per row and an end of bitmap).
bytes_t encodeBmpFile(const bmpSpec_t &spec);

/// A 13 x 5 image (its width pads the rows of every depth) through a
/// palette of `paletteSize` colours, with indices below `indexRange`: in
/// runs on the left, without runs on the right.
bmpSpec_t indexedBmpSpec(uint32_t headerSize, uint16_t bits, uint32_t compression,
                         uint32_t paletteSize, uint32_t indexRange);

/// A 13 x 5 image of 16-, 24- or 32-bit values scattered over every bit, the
/// first pixel all ones and the second all zeros; `masks` are red, green,
/// blue, alpha. The palette is there for files that carry one they do not use.
bmpSpec_t packedBmpSpec(uint32_t headerSize, uint16_t bits, uint32_t compression,
                        std::vector<uint32_t> masks, uint32_t paletteSize = 0);

/// One BMP layout the decoder reads, and whether the image has alpha.
struct bmpVariant_t {
    const char *name;
    bmpSpec_t spec;
    bool alpha;
};

/// Every layout: OS/2 1.x and 2.x and Windows headers, each depth, RLE with
/// all its codes, bit fields, top-down rows, short palettes, gaps before the
/// pixel data.
std::vector<bmpVariant_t> bmpVariants();

/// The pixels a BMP written from `spec` holds, blue, green, red, fourth
/// byte: palette entries (black past the palette), the three bytes of a
/// 24-bit pixel, or each mask's channel scaled by rounding.
bytes_t bmpExpectedBgra(const bmpSpec_t &spec, bool alpha);
