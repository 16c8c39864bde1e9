// The distinct colours of an image, for the full palette.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/pixelRuns.h"

/// Totals over a run of colours: pixels, component sums, squared lengths.
struct colorTotals_t {
    uint64_t n, r, g, b, squares;

    void add(const colorTotals_t &more)
    {
        n += more.n;
        r += more.r;
        g += more.g;
        b += more.b;
        squares += more.squares;
    }
};

/// A cube of edge 8 that holds colours of a histogram: its run of them, its
/// lowest corner and their totals.
struct colorCell_t {
    size_t begin, end;
    uint8_t r, g, b;
    colorTotals_t totals;
};

/// The distinct colours of an image with their pixel counts, in the order of
/// their colorCode: an aligned cube of colours is one run of that list, and
/// its octants are eight consecutive runs. Also the cubes of edge 8 that
/// hold colours, in the same order, with their totals: cubes of edge 8 and
/// more are summed over those rather than colour by colour.
struct colorHistogram_t {
    std::vector<uint8_t> red, green, blue;
    std::vector<uint32_t> counts;
    std::vector<colorCell_t> cells;
    /// Per cell, its colours' codes without their lowest 9 bits.
    std::vector<uint32_t> cellCodes;

    /// Counts the pixels (1 to 2^23 of them; the squared lengths' sums
    /// must fit 64 bits) on two threads.
    explicit colorHistogram_t(const pixelRuns_t &pixels);

    /// Where the cells holding colours with a code of `code` or more begin.
    size_t firstCellAtOrAfter(uint32_t code) const;
};
