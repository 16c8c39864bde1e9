#include "imaging/quantizeLookup.h"

#include "imaging/cubeSurvivors.h"
#include "imaging/squared.h"

#include <algorithm>
#include <numeric>

paletteLookup_t::paletteLookup_t(const palette_t &palette, unsigned count)
    : count(count), coarse(1u << 12), fine(1u << 18, 0), tables(64, 0), constantTable()
{
    // Table 0 stays unused so that 0 can mean "not made yet".
    for (unsigned j = 0; j < count; ++j) {
        red[j] = palette.red[j];
        green[j] = palette.green[j];
        blue[j] = palette.blue[j];
    }
}

const std::vector<uint8_t> &paletteLookup_t::coarseSurvivors(unsigned r, unsigned g, unsigned b)
{
    std::vector<uint8_t> &cell = coarse[(r >> 4) << 8 | (g >> 4) << 4 | (b >> 4)];
    if (cell.empty()) {
        uint8_t all[256];
        std::iota(all, all + count, uint8_t(0));
        cubeSurvivors(red, green, blue, all, count, r & ~15u, g & ~15u, b & ~15u, 16, &cell);
    }
    return cell;
}

uint32_t paletteLookup_t::makeTable(unsigned r, unsigned g, unsigned b,
                                    const uint8_t *candidates, size_t n)
{
    // Distance above, index below: the smallest key is the nearest entry,
    // and among equals the lowest index.
    uint32_t keys[64];
    std::fill(keys, keys + 64, ~0u);
    for (size_t k = 0; k < n; ++k) {
        const unsigned j = candidates[k];
        const int dr0 = int(r & ~3u) - red[j], dg0 = int(g & ~3u) - green[j];
        const int db0 = int(b & ~3u) - blue[j];
        for (unsigned i = 0; i < 64; ++i) {
            const int dr = dr0 + int(i >> 4), dg = dg0 + int((i >> 2) & 3), db = db0 + int(i & 3);
            const uint32_t key = uint32_t(dr * dr + dg * dg + db * db) << 8 | j;
            keys[i] = std::min(keys[i], key);
        }
    }
    const uint32_t number = uint32_t(tables.size() >> 6);
    for (uint32_t key : keys)
        tables.push_back(uint8_t(key));
    return number;
}

unsigned paletteLookup_t::scan(unsigned r, unsigned g, unsigned b, const uint8_t *candidates,
                               size_t n) const
{
    unsigned best = ~0u, index = 255;
    for (size_t k = 0; k < n; ++k) {
        const unsigned j = candidates[k];
        const unsigned d = squared(int(r) - red[j]) + squared(int(g) - green[j]) +
                           squared(int(b) - blue[j]);
        if (d < best) {
            best = d;
            index = j;
        }
    }
    return index;
}

unsigned paletteLookup_t::findSlowly(unsigned r, unsigned g, unsigned b)
{
    uint32_t &state = fine[fineCell(r, g, b)];
    if (state == 0 || (state & unlisted)) {
        const std::vector<uint8_t> &parent = coarseSurvivors(r, g, b);
        const uint32_t answered = state >> visitShift & 0x3f;
        if (answered + 1 < listAfter) {
            state = unlisted | (answered + 1) << visitShift;
            return scan(r, g, b, parent.data(), parent.size());
        }
        cubeSurvivors(red, green, blue, parent.data(), parent.size(), r & ~3u, g & ~3u, b & ~3u, 4, &scratch);
        if (scratch.size() == 1) {
            uint32_t &constant = constantTable[scratch[0]];
            if (constant == 0) {
                constant = uint32_t(tables.size() >> 6);
                tables.insert(tables.end(), 64, scratch[0]);
            }
            state = tabled | constant;
            return scratch[0];
        }
        if (lists.size() + 257 >= (1u << visitShift)) {
            // No room left to point at another list: go straight to a table.
            state = tabled | makeTable(r, g, b, scratch.data(), scratch.size());
            return find(r, g, b);
        }
        state = uint32_t(lists.size());
        lists.push_back(uint8_t(scratch.size() - 1));
        lists.insert(lists.end(), scratch.begin(), scratch.end());
    }
    const uint8_t *list = lists.data() + (state & ((1u << visitShift) - 1));
    const size_t n = size_t(list[0]) + 1;
    if ((state >> visitShift) + 1 == tableAfter) {
        state = tabled | makeTable(r, g, b, list + 1, n);
        return find(r, g, b);
    }
    state += 1u << visitShift;
    return scan(r, g, b, list + 1, n);
}
