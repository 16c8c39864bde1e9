// Exact nearest-palette-entry search for the quantizer.
#pragma once

#include "imaging/palette.h"
#include "imaging/squared.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

/// Finds the palette entry nearest to a colour by squared RGB distance, the
/// lowest index among equals (the answer a scan of the whole palette gives),
/// without scanning the whole palette for every pixel.
///
/// An entry whose closest approach to a box of colours is farther than some
/// other entry's farthest corner is strictly worse for every colour in the
/// box, so a box needs only the entries that survive that test. Coarse cells
/// (edge 16) keep the survivors among the whole palette, middle cells (edge
/// 8) the survivors among their coarse cell's, fine cells (edge 4) the
/// survivors among their middle cell's. A middle cell answers its first
/// colours by scanning its survivors; one that keeps being asked gets fine
/// cells, each of which finds its own survivors once asked again; a fine
/// cell that keeps being asked gets a table with the answer for each of its
/// 64 colours.
///
/// What it keeps grows with the colours asked, not with the colour space:
/// states are made for the cells asked, and tables come in blocks of a
/// fixed size. The colours of error diffusion wander over many cells, most
/// of them asked only a few times, and a fine cell keeps barely fewer
/// survivors than its middle cell: a lookup for them (`wandering`) answers
/// from middle cells alone, each reached in one step: faster, and with a
/// fraction of the memory.
class paletteLookup_t {
public:
    /// For every entry of `palette`, which has 1 to 256.
    explicit paletteLookup_t(const palette_t &palette, bool wandering = false);

    unsigned find(unsigned r, unsigned g, unsigned b)
    {
        // Marked unlikely so that the usual path stays as short as it was.
        if (__builtin_expect(wandering, 0)) {
            const uint32_t middle = middleOf[middleCell(r, g, b)];
            if (middle == 0)
                return findSlowly(r, g, b);
            const uint8_t *list = middleLists.data() + middle;
            return scan(r, g, b, list, size_t(list[-1]) + 1);
        }
        const uint32_t state = fineStates[size_t(fineBlock[middleCell(r, g, b)]) * 8 + fineWithin(r, g, b)];
        if (state & tabled)
            return table(state & ~tabled)[(r & 3) << 4 | (g & 3) << 2 | (b & 3)];
        return findSlowly(r, g, b);
    }

private:
    /// A fine cell's state: 0 before its first colour; `tabled` | its table's
    /// number; `unlisted` | the colours it answered from its middle cell's
    /// survivors << `visitShift`; otherwise the colours it answered by
    /// scanning << `visitShift` | where its survivors lie in `lists`.
    static constexpr uint32_t tabled = 1u << 31;
    static constexpr uint32_t unlisted = 1u << 30;
    static constexpr unsigned visitShift = 24;
    static constexpr uint32_t whereMask = (1u << visitShift) - 1;
    /// Colours a middle cell answers from its own survivors before it gets
    /// fine cells: a block of fine states costs more than a few scans.
    static constexpr uint32_t fineAfter = 16;
    /// Colours of a fine cell answered from its middle cell's survivors
    /// before its own are found.
    static constexpr uint32_t listAfter = 2;
    /// Colours of a fine cell answered by scanning before it gets a table:
    /// a table costs 64 answers, so sparse cells never pay for one.
    static constexpr uint32_t tableAfter = 8;

    /// A coarse cell's block in `middleStates`: its 8 middle cells' states
    /// (0 before their survivors are found, otherwise one more than where
    /// they lie in `middleLists` | the colours answered from them <<
    /// `visitShift`), then one more than where its own survivors lie in
    /// `coarseLists` (0 before they are found).
    static constexpr unsigned coarseAt = 8, middleBlockSize = 9;
    static constexpr unsigned middleCells = 1u << 15;
    /// Tables are kept in blocks of this many, each of 64 answers.
    static constexpr unsigned tablesPerBlock = 1024;

    static unsigned coarseCell(unsigned r, unsigned g, unsigned b) { return (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4); }
    static unsigned middleCell(unsigned r, unsigned g, unsigned b)
    {
        return (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
    }
    static unsigned middleWithin(unsigned r, unsigned g, unsigned b)
    {
        return (r >> 3 & 1) << 2 | (g >> 3 & 1) << 1 | (b >> 3 & 1);
    }
    static unsigned fineWithin(unsigned r, unsigned g, unsigned b)
    {
        return (r >> 2 & 1) << 2 | (g >> 2 & 1) << 1 | (b >> 2 & 1);
    }

    uint8_t *table(uint32_t number) const
    {
        return tableBlocks[number / tablesPerBlock].get() + (number % tablesPerBlock) * 64;
    }
    /// Room for one more table; its number.
    uint32_t newTable();

    unsigned findSlowly(unsigned r, unsigned g, unsigned b);
    /// The state of the middle cell of (r, g, b), with its survivors found,
    /// its coarse cell's block made if need be.
    uint32_t &middleState(unsigned r, unsigned g, unsigned b);
    /// The survivors of the middle cell whose state is `state`: where they
    /// start in `middleLists`, and how many.
    std::pair<size_t, size_t> middleSurvivors(uint32_t state) const
    {
        const size_t at = (state & whereMask) - 1;
        return {at + 1, size_t(middleLists[at]) + 1};
    }
    /// Fills a new table for the fine cell of (r, g, b) from its survivors
    /// and returns its number.
    uint32_t makeTable(unsigned r, unsigned g, unsigned b, const uint8_t *candidates, size_t n);
    unsigned scan(unsigned r, unsigned g, unsigned b, const uint8_t *candidates, size_t n) const
    {
        // Distance above, index below: the smallest key is the nearest
        // entry, the lowest index among equals, without a branch to
        // mispredict.
        unsigned best = ~0u;
        for (size_t k = 0; k < n; ++k) {
            const unsigned j = candidates[k];
            const unsigned d = squared(int(r) - red[j]) + squared(int(g) - green[j]) + squared(int(b) - blue[j]);
            best = std::min(best, d << 8 | j);
        }
        return best & 0xff;
    }

    unsigned count;
    bool wandering;
    int red[256], green[256], blue[256];
    /// Per coarse cell, where its block begins in `middleStates`; 0 for a
    /// cell never asked.
    std::vector<uint32_t> coarseBlock;
    std::vector<uint32_t> middleStates;
    /// Per middle cell, the number of its block of 8 fine states in
    /// `fineStates`; 0, the block of a cell without fine cells, holds only
    /// zeros and is never written. There are at most 2^15 middle cells.
    /// Neither is made for a wandering lookup.
    std::vector<uint16_t> fineBlock;
    std::vector<uint32_t> fineStates;
    /// Only for a wandering lookup: each middle cell's state (0 before its
    /// survivors are found), reached in one step.
    std::vector<uint32_t> middleOf;
    /// Survivor lists: a length byte (length - 1), then the entries in index
    /// order.
    std::vector<uint8_t> coarseLists, middleLists, lists;
    std::vector<std::unique_ptr<uint8_t[]>> tableBlocks;
    uint32_t tableCount = 0;
    /// Per palette entry, the number of a table that answers it everywhere
    /// (for fine cells with a single survivor), or 0 before it is needed.
    uint32_t constantTable[256];
    std::vector<uint8_t> scratch;
};
