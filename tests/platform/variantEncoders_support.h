// Writers of PNM, TGA, GIF and PSD files in each of the ways these formats
// can store an image, for the tests and the seed corpus.
#pragma once

#include "imageFiles_support.h"

/// A PNM file of raw samples: `samples` holds channels x width x height
/// values (one channel for P1, P2, P4 and P5; three for P3 and P6).
struct pnmSpec_t {
    char kind; ///< '1' to '6'
    uint32_t width;
    uint32_t height;
    uint32_t maxval; ///< ignored for bitmaps
    std::vector<uint16_t> samples;
};
bytes_t encodePnm(const pnmSpec_t &spec);

/// How a TGA file stores an image.
struct tgaLayout_t {
    uint8_t type;           ///< 1 colour-mapped, 2 true-colour, 3 grey; 9, 10, 11 run-length
    uint8_t bits;           ///< per pixel: index 8 or 16; colour 15, 16, 24, 32; grey 8, 16 (grey, alpha)
    uint8_t mapBits = 0;    ///< per colour map entry: 15, 16, 24 or 32
    uint16_t mapFirst = 0;  ///< index of the first colour map entry
    uint8_t descriptor = 0; ///< alpha bits | 0x10 right to left | 0x20 top to bottom
    uint8_t idLength = 0;
};
/// Colours are stored as they come; at 15 and 16 bits a channel keeps
/// round(c x 31 / 255), and the attribute bit of a 16-bit pixel is set
/// when alpha is 128 or more. Colour maps hold the image's distinct
/// colours in the order they appear.
bytes_t encodeTga(const rgbaImage_t &image, const tgaLayout_t &layout);

/// How a GIF file stores an image as its first frame.
struct gifLayout_t {
    bool interlaced = false;
    bool localTable = false; ///< the colours in the frame's own table, no global table
    int transparent = -1;    ///< colour table index marked transparent
    uint16_t left = 0, top = 0; ///< the frame's place on the screen
    uint16_t margin = 0;     ///< columns and rows of screen right of and below the frame
    uint8_t background = 0;  ///< background colour index
    bool initialClear = true;  ///< the code stream starts with a clear code
    bool deferredClear = false; ///< a full code table is kept instead of cleared
    bool secondFrame = false;   ///< a second frame (all index 0) follows
};
/// The colour table holds the image's distinct colours (alpha ignored) in
/// the order they appear, padded to a power of two.
bytes_t encodeGif(const rgbaImage_t &image, const gifLayout_t &layout);
/// The colour table encodeGif writes for `image`, red, green, blue.
bytes_t gifColourTable(const rgbaImage_t &image);

/// How a PSD file stores its merged image.
struct psdLayout_t {
    uint16_t mode = 3; ///< 1 greyscale (the red channel is written), 3 RGB
    uint16_t depth = 8; ///< 8 or 16
    bool alpha = false; ///< a transparency channel after the colours
    bool runLength = false;
};
/// Samples are written as they come. At 16 bits the high byte is the 8-bit
/// sample and the low byte, without alpha, noise the decoder must drop.
bytes_t encodePsd(const rgbaImage_t &image, const psdLayout_t &layout);
