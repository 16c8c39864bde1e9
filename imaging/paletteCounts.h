// Pixel counts of an image by colour box, for the palette selection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/pixelRuns.h"

/// Answers "how many pixels lie in this box, and what are their component
/// sums" for the boxes the palette subdivision makes: cubes of power-of-two
/// edge aligned to their edge.
///
/// Colours are numbered by interleaving their bits (red lowest in each
/// triple, then green, then blue), so an aligned cube is one run of numbers
/// and its octants are eight consecutive runs in octant order. One pass over
/// the pixels counts them per cell of edge 4 and keeps running totals, which
/// gives any box of edge 4 or more in two reads. The few cells that get cut
/// finer have their pixels' exact colours gathered and sorted on demand.
class paletteCounts_t {
public:
    /// The pixels must outlive the counts.
    explicit paletteCounts_t(const pixelRuns_t &pixels);

    /// Pixels in the cube of the given edge (a power of two up to 256) whose
    /// low corner is (r, g, b). A cube of edge below 4 must lie in a cell
    /// passed to detail() before.
    uint32_t pixelsIn(unsigned r, unsigned g, unsigned b, unsigned edge) const;

    /// Gathers the exact colours of every pixel in the cells of edge 4 that
    /// hold these colours (each red << 16 | green << 8 | blue), if not done
    /// already.
    void detail(const std::vector<uint32_t> &colors);
    bool detailed(unsigned r, unsigned g, unsigned b) const;

    /// Component sums over the pixels of each cube, in the order given.
    /// Cubes must not overlap.
    struct cube_t {
        uint8_t r, g, b;
        unsigned edge;
    };
    struct sums_t {
        uint64_t red, green, blue;
    };
    /// The last question: its pass over the pixels keeps the cube of every
    /// cell where the running totals were, and pixelsIn may not be asked
    /// afterwards.
    std::vector<sums_t> sumsOf(const std::vector<cube_t> &cubes);

private:
    static uint32_t code(unsigned r, unsigned g, unsigned b);
    static uint32_t cellOf(unsigned r, unsigned g, unsigned b) { return code(r, g, b) >> 6; }
    /// Entries of `exact` inside the cube.
    std::pair<size_t, size_t> exactRun(unsigned r, unsigned g, unsigned b, unsigned edge) const;

    const pixelRuns_t &pixels;
    /// below[c]: pixels in cells numbered below c; 2^18 + 1 entries.
    std::vector<uint32_t> below;
    /// One bit per cell: its pixels are in `exact`.
    std::vector<uint64_t> isDetailed;
    /// Interleaved colour numbers of the pixels of detailed cells, sorted.
    std::vector<uint32_t> exact;
};
