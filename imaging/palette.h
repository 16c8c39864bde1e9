// Choosing the palette of a composite by colour-box subdivision.
#pragma once

#include <cstdint>

#include "imaging/loadedImage.h"

/// Up to 256 colours as three planes; entries from numColors on are zero.
struct palette_t {
    uint8_t red[256];
    uint8_t green[256];
    uint8_t blue[256];
    uint32_t numColors;
};

/// Chooses at most maxColors colours for the image by colour-box subdivision.
palette_t getOptimalPalette(const loadedImage_t *image, unsigned maxColors);
/// The same for numPixels pixels (BGRA) in a row.
palette_t getOptimalPalette(const uint8_t *pixels, unsigned numPixels, unsigned maxColors);
