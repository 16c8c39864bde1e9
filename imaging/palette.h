// Choosing the palette of a composite by colour-box subdivision.
#pragma once

#include <cstdint>

#include "imaging/loadedImage.h"
#include "imaging/pixelRuns.h"

/// Up to 256 colours as three planes; entries from numColors on are zero.
struct palette_t {
    uint8_t red[256];
    uint8_t green[256];
    uint8_t blue[256];
    uint32_t numColors;
};

/// Chooses at most maxColors colours for the pixels (1 to 2^32 - 1 of them)
/// by colour-box subdivision.
palette_t getOptimalPalette(const pixelRuns_t &pixels, unsigned maxColors);
