#include "imaging/quantizeLookup.h"

#include <numeric>

namespace {

unsigned squared(int v) { return unsigned(v * v); }

} // namespace

paletteLookup_t::paletteLookup_t(const palette_t &palette, unsigned count)
    : count(count), coarse(1u << 12), fine(1u << 18, 0)
{
    for (unsigned j = 0; j < count; ++j) {
        red[j] = palette.red[j];
        green[j] = palette.green[j];
        blue[j] = palette.blue[j];
    }
}

void paletteLookup_t::survivors(const uint8_t *from, size_t n, unsigned r0, unsigned g0,
                                unsigned b0, unsigned edge, std::vector<uint8_t> &out) const
{
    auto gaps = [edge](int value, int lo, unsigned &nearest, unsigned &farthest) {
        const int hi = lo + int(edge) - 1;
        nearest += squared(value < lo ? lo - value : value > hi ? value - hi : 0);
        farthest += squared(value - lo > hi - value ? value - lo : hi - value);
    };
    unsigned nearest[256];
    unsigned bound = ~0u;
    for (size_t i = 0; i < n; ++i) {
        const unsigned j = from[i];
        unsigned farthest = 0;
        nearest[i] = 0;
        gaps(red[j], int(r0), nearest[i], farthest);
        gaps(green[j], int(g0), nearest[i], farthest);
        gaps(blue[j], int(b0), nearest[i], farthest);
        if (farthest < bound)
            bound = farthest;
    }
    out.clear();
    for (size_t i = 0; i < n; ++i)
        if (nearest[i] <= bound)
            out.push_back(from[i]);
}

const std::vector<uint8_t> &paletteLookup_t::coarseSurvivors(unsigned r, unsigned g, unsigned b)
{
    std::vector<uint8_t> &cell = coarse[(r >> 4) << 8 | (g >> 4) << 4 | (b >> 4)];
    if (cell.empty()) {
        uint8_t all[256];
        std::iota(all, all + count, uint8_t(0));
        survivors(all, count, r & ~15u, g & ~15u, b & ~15u, 16, cell);
    }
    return cell;
}

void paletteLookup_t::makeTable(unsigned r, unsigned g, unsigned b,
                                const std::vector<uint8_t> &candidates)
{
    const unsigned r0 = r & ~3u, g0 = g & ~3u, b0 = b & ~3u;
    survivors(candidates.data(), candidates.size(), r0, g0, b0, 4, scratch);
    fine[fineCell(r, g, b)] = tabled | uint32_t(tables.size() >> 6);
    for (unsigned i = 0; i < 64; ++i) {
        const int pr = int(r0 + (i >> 4)), pg = int(g0 + ((i >> 2) & 3)), pb = int(b0 + (i & 3));
        // Distance above, index below: the smallest key is the nearest
        // entry, and among equals the lowest index.
        uint32_t best = ~0u;
        for (uint8_t j : scratch) {
            const uint32_t key =
                (squared(pr - red[j]) + squared(pg - green[j]) + squared(pb - blue[j])) << 8 | j;
            best = key < best ? key : best;
        }
        tables.push_back(uint8_t(best));
    }
}

unsigned paletteLookup_t::findSlowly(unsigned r, unsigned g, unsigned b)
{
    const std::vector<uint8_t> &candidates = coarseSurvivors(r, g, b);
    uint32_t &state = fine[fineCell(r, g, b)];
    if (++state == tableAfter) {
        makeTable(r, g, b, candidates);
        return find(r, g, b);
    }
    unsigned best = ~0u, index = 255;
    for (uint8_t j : candidates) {
        const unsigned d = squared(int(r) - red[j]) + squared(int(g) - green[j]) +
                           squared(int(b) - blue[j]);
        if (d < best) {
            best = d;
            index = j;
        }
    }
    return index;
}
