// Exact nearest-palette-entry search for the quantizer.
#pragma once

#include "imaging/imgtools.h"

#include <cstddef>
#include <cstdint>
#include <vector>

/// Finds the palette entry nearest to a colour by squared RGB distance, the
/// lowest index among equals (the answer a scan of the whole palette gives),
/// without scanning the whole palette for every pixel.
///
/// An entry whose closest approach to a box of colours is farther than some
/// other entry's farthest corner is strictly worse for every colour in the
/// box, so a box needs only the entries that survive that test. Coarse cells
/// (edge 16) keep their survivors and answer the first few colours of each
/// fine cell (edge 4) by scanning them; a fine cell that keeps being asked
/// gets a table with the answer for each of its 64 colours.
class paletteLookup_t {
public:
    /// count is 1 to 256: the palette's entries that take part.
    paletteLookup_t(const palette_t &palette, unsigned count);

    unsigned find(unsigned r, unsigned g, unsigned b)
    {
        const uint32_t state = fine[fineCell(r, g, b)];
        if (state & tabled)
            return tables[uint64_t(state & ~tabled) << 6 | (r & 3) << 4 | (g & 3) << 2 | (b & 3)];
        return findSlowly(r, g, b);
    }

private:
    static constexpr uint32_t tabled = 1u << 31;
    /// Colours of a fine cell answered by scanning before it gets a table:
    /// a table costs 64 answers, so sparse cells never pay for one.
    static constexpr uint32_t tableAfter = 8;

    static unsigned fineCell(unsigned r, unsigned g, unsigned b)
    {
        return (r >> 2) << 12 | (g >> 2) << 6 | (b >> 2);
    }

    unsigned findSlowly(unsigned r, unsigned g, unsigned b);
    const std::vector<uint8_t> &coarseSurvivors(unsigned r, unsigned g, unsigned b);
    void survivors(const uint8_t *from, size_t n, unsigned r0, unsigned g0, unsigned b0,
                   unsigned edge, std::vector<uint8_t> &out) const;
    void makeTable(unsigned r, unsigned g, unsigned b, const std::vector<uint8_t> &candidates);

    unsigned count;
    int red[256], green[256], blue[256];
    /// Per coarse cell its surviving entries in index order; empty until made.
    std::vector<std::vector<uint8_t>> coarse;
    /// Per fine cell: how many colours were answered by scanning, or
    /// `tabled` | the number of its table.
    std::vector<uint32_t> fine;
    /// 64 answers per tabled fine cell, red-major.
    std::vector<uint8_t> tables;
    std::vector<uint8_t> scratch;
};
