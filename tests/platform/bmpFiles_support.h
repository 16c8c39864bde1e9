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

/// The offset of the pixel data in a file encodeBmpFile wrote.
uint32_t bmpDataOffset(const bytes_t &file);
