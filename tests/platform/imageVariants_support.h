// Every stored form of BMP, PNM, TGA, GIF and PSD that the translators must
// decode exactly, each with the pixels it holds, and damaged files each with
// the reason its refusal must give. The tests, the fuzzer's seeds and the
// memory check all take their files from here.
#pragma once

#include <string>

#include "imageFiles_support.h"

/// A file and the bitmap it must become: blue, green, red, fourth byte.
struct imageVariant_t {
    std::string name;
    bytes_t file;
    uint32_t width, height;
    bytes_t bgra;
    bool alpha; ///< B_RGBA32 rather than B_RGB32
};
std::vector<imageVariant_t> imageVariants();

/// A file that must be refused, and a part of the reason.
struct damagedImage_t {
    std::string name;
    bytes_t file;
    std::string reason;
};
std::vector<damagedImage_t> damagedImages();

/// A PGM ('5') or PPM ('6') of 16-bit samples, as raw converters write
/// them, and the pixels it holds.
imageVariant_t sixteenBitPnm(char kind, uint32_t width, uint32_t height);
