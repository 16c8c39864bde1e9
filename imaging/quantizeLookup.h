// Exact nearest-palette-entry search for the quantizer.
#pragma once

#include "imaging/palette.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

/// Finds the palette entry nearest to a colour by squared RGB distance, the
/// lowest index among equals (the answer a scan of the whole palette gives),
/// without scanning the whole palette for every pixel.
///
/// An entry whose closest approach to a box of colours is farther than some
/// other entry's farthest corner is strictly worse for every colour in the
/// box, so a box needs only the entries that survive that test. Coarse cells
/// (edge 16) keep the survivors among the whole palette, fine cells (edge 4)
/// the survivors among their coarse cell's. A fine cell answers its first
/// colours by scanning its few survivors; one that keeps being asked gets a
/// table with the answer for each of its 64 colours.
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
    /// A fine cell's state: 0 before its first colour; `tabled` | its table's
    /// number; `unlisted` | the colours it answered from its cell of edge
    /// 8's survivors << `visitShift`; otherwise the colours it answered by
    /// scanning << `visitShift` | where its survivors lie in `lists`.
    static constexpr uint32_t tabled = 1u << 31;
    static constexpr uint32_t unlisted = 1u << 30;
    static constexpr unsigned visitShift = 24;
    /// Colours of a fine cell answered from its cell of edge 8's survivors
    /// before its own are found: most cells of a photograph are asked once
    /// or twice, and for them a list of their own costs more than it saves.
    static constexpr uint32_t listAfter = 2;
    /// Colours of a fine cell answered by scanning before it gets a table:
    /// a table costs 64 answers, so sparse cells never pay for one.
    static constexpr uint32_t tableAfter = 4;

    static unsigned fineCell(unsigned r, unsigned g, unsigned b)
    {
        return (r >> 2) << 12 | (g >> 2) << 6 | (b >> 2);
    }

    unsigned findSlowly(unsigned r, unsigned g, unsigned b);
    const std::vector<uint8_t> &coarseSurvivors(unsigned r, unsigned g, unsigned b);
    /// The survivors of the cell of edge 8 around (r, g, b), taken from its
    /// coarse cell's: where they start in `middleLists`, and how many.
    std::pair<size_t, size_t> middleSurvivors(unsigned r, unsigned g, unsigned b);
    /// Fills a new table for the fine cell of (r, g, b) from its survivors
    /// and returns its number.
    uint32_t makeTable(unsigned r, unsigned g, unsigned b, const uint8_t *candidates, size_t n);
    unsigned scan(unsigned r, unsigned g, unsigned b, const uint8_t *candidates, size_t n) const;

    unsigned count;
    int red[256], green[256], blue[256];
    /// Per coarse cell its surviving entries in index order; empty until made.
    std::vector<std::vector<uint8_t>> coarse;
    /// Per cell of edge 8, 0 before its survivors are found, otherwise one
    /// more than where they lie in `middleLists`: a length byte (length -
    /// 1), then the entries in index order. Colours of error diffusion wander
    /// over many fine cells, each asked once or twice, and those are
    /// answered from these shorter lists.
    std::vector<uint32_t> middle;
    std::vector<uint8_t> middleLists;
    std::vector<uint32_t> fine;
    /// Survivor lists of fine cells: a length byte (length - 1), then the
    /// entries in index order.
    std::vector<uint8_t> lists;
    /// 64 answers per table, red-major.
    std::vector<uint8_t> tables;
    /// Per palette entry, the number of a table that answers it everywhere
    /// (for fine cells with a single survivor), or 0 before it is needed.
    uint32_t constantTable[256];
    std::vector<uint8_t> scratch;
};
