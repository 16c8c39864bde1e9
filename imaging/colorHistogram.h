// The distinct colours of an image, for the full palette.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/secondThread.h"
#include "imaging/colorCode.h"
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

/// A cube of edge 8 that holds colours of a histogram: its run of the
/// histogram's pixels, the top byte of their colorCodes, its lowest corner
/// and their totals.
struct colorCell_t {
    uint32_t begin, end;
    uint8_t top;
    uint8_t r, g, b;
    colorTotals_t totals;
};

/// The pixels of an image sorted by colorCode, so that an aligned cube of
/// colours is one run and its octants are eight consecutive runs, and equal
/// colours lie together. Also the cubes of edge 8 that hold colours, in the
/// same order, with their totals: cubes of edge 8 and more are summed over
/// those rather than colour by colour.
///
/// A photograph has nearly as many colours as pixels, so rather than a list
/// of distinct colours with their counts (7 bytes a colour), each pixel
/// keeps the low 16 bits of its code (2 bytes); its cell holds the top byte.
class colorHistogram_t {
public:
    /// Sorts the pixels (1 to 2^23 of them; the squared lengths' sums must
    /// fit 64 bits) on this thread and `thread`,
    /// leaving out those whose colour is one of `leftOut` (colorCodes; may
    /// be empty, and so may the histogram then be).
    explicit colorHistogram_t(const pixelRuns_t &pixels, secondThread_t &thread,
                              const std::vector<uint32_t> &leftOut = {});

    /// Where the cells holding colours with a code of `code` or more begin.
    size_t firstCellAtOrAfter(uint32_t code) const;

    /// How many pixels the histogram holds.
    size_t pixelCount() const { return low.size(); }
    const std::vector<colorCell_t> &allCells() const { return cells; }
    /// Cell c's colours' codes without their lowest 9 bits.
    uint32_t cellCode(size_t c) const { return cellCodes[c]; }

    /// Calls visit(r, g, b, n) for each distinct colour of the cell, in
    /// order, n being its pixels.
    template <typename visit_t> void forEachColor(const colorCell_t &cell, visit_t visit) const
    {
        for (uint32_t i = cell.begin; i < cell.end;) {
            uint32_t j = i + 1;
            while (j < cell.end && low[j] == low[i])
                ++j;
            const uint32_t rgb = colorOfCode(uint32_t(cell.top) << 16 | low[i]);
            visit(rgb >> 16, (rgb >> 8) & 0xff, rgb & 0xff, j - i);
            i = j;
        }
    }

private:
    std::vector<uint16_t> low;
    std::vector<colorCell_t> cells;
    /// Per cell, its colours' codes without their lowest 9 bits.
    std::vector<uint32_t> cellCodes;
};
