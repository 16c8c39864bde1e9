// The palette record, and choosing the palette of a composite by colour-box
// subdivision.
#pragma once

#include <cassert>
#include <cstdint>

#include "imaging/loadedImage.h"
#include "imaging/pixelRuns.h"

/// Up to kCapacity colours, in the order they were added. Entries from
/// size() on read as zero: code that stores a fixed number of entries takes
/// the palette's as they are.
class palette_t {
public:
    /// An index into a palette is one byte.
    static constexpr unsigned kCapacity = 256;

    unsigned size() const { return count; }

    /// Entry j's components, for any j below kCapacity.
    uint8_t red(unsigned j) const { return reds[j]; }
    uint8_t green(unsigned j) const { return greens[j]; }
    uint8_t blue(unsigned j) const { return blues[j]; }
    /// Entry j as 0xRRGGBB.
    uint32_t rgb(unsigned j) const { return uint32_t(reds[j]) << 16 | uint32_t(greens[j]) << 8 | blues[j]; }

    /// The components of every entry side by side, for code that gathers
    /// entries by index.
    const uint8_t *redPlane() const { return reds; }
    const uint8_t *greenPlane() const { return greens; }
    const uint8_t *bluePlane() const { return blues; }

    /// Adds a colour after the others; a full palette stays as it is.
    void append(uint8_t r, uint8_t g, uint8_t b)
    {
        if (count == kCapacity)
            return;
        set(count++, r, g, b);
    }
    /// Moves entry j, one of the first size(), to another colour.
    void replace(unsigned j, uint8_t r, uint8_t g, uint8_t b)
    {
        assert(j < count);
        set(j, r, g, b);
    }

private:
    void set(unsigned j, uint8_t r, uint8_t g, uint8_t b)
    {
        reds[j] = r;
        greens[j] = g;
        blues[j] = b;
    }

    uint8_t reds[kCapacity] = {};
    uint8_t greens[kCapacity] = {};
    uint8_t blues[kCapacity] = {};
    uint32_t count = 0;
};

/// Chooses at most maxColors colours for the pixels (1 to 2^32 - 1 of them)
/// by colour-box subdivision.
palette_t getOptimalPalette(const pixelRuns_t &pixels, unsigned maxColors);
