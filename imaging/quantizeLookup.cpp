#include "imaging/quantizeLookup.h"

#include "imaging/cubeSurvivors.h"
#include "imaging/squared.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

paletteLookup_t::paletteLookup_t(const palette_t &palette, bool wandering)
    : count(palette.size()), wandering(wandering), coarseBlock(1u << 12, 0), middleStates(middleBlockSize, 0),
      constantTable()
{
    for (unsigned j = 0; j < count; ++j) {
        red[j] = palette.red(j);
        green[j] = palette.green(j);
        blue[j] = palette.blue(j);
    }
    // Room for every cell's states, never moved: only the pages of the
    // cells asked are ever touched.
    middleStates.reserve(size_t(coarseBlock.size() + 1) * middleBlockSize);
    if (wandering) {
        middleOf.assign(middleCells, 0);
        return;
    }
    fineBlock.assign(middleCells, 0);
    fineStates.assign(8, 0);
    fineStates.reserve(size_t(middleCells + 1) * 8);
    // Table 0 stays unused so that 0 can mean "not made yet".
    newTable();
}

uint32_t paletteLookup_t::newTable()
{
    if (tableCount % tablesPerBlock == 0)
        tableBlocks.emplace_back(new uint8_t[tablesPerBlock * 64]);
    return tableCount++;
}

uint32_t &paletteLookup_t::middleState(unsigned r, unsigned g, unsigned b)
{
    uint32_t &block = coarseBlock[coarseCell(r, g, b)];
    if (block == 0) {
        block = uint32_t(middleStates.size());
        middleStates.resize(middleStates.size() + middleBlockSize, 0);
    }
    uint32_t &state = middleStates[block + middleWithin(r, g, b)];
    if (state != 0)
        return state;
    uint32_t &coarse = middleStates[block + coarseAt];
    if (coarse == 0) {
        uint8_t all[256];
        std::iota(all, all + count, uint8_t(0));
        cubeSurvivors(red, green, blue, all, count, r & ~15u, g & ~15u, b & ~15u, 16, &scratch);
        coarse = uint32_t(coarseLists.size()) + 1;
        coarseLists.push_back(uint8_t(scratch.size() - 1));
        coarseLists.insert(coarseLists.end(), scratch.begin(), scratch.end());
    }
    cubeSurvivors(red, green, blue, coarseLists.data() + coarse, size_t(coarseLists[coarse - 1]) + 1, r & ~7u,
                  g & ~7u, b & ~7u, 8, &scratch);
    // 2^15 middle cells of at most 257 bytes each: always within whereMask.
    state = uint32_t(middleLists.size()) + 1;
    middleLists.push_back(uint8_t(scratch.size() - 1));
    middleLists.insert(middleLists.end(), scratch.begin(), scratch.end());
    return state;
}

uint32_t paletteLookup_t::makeTable(unsigned r, unsigned g, unsigned b,
                                    const uint8_t *candidates, size_t n)
{
    // Distance above, index below: the smallest key is the nearest entry,
    // and among equals the lowest index. The squared distance is a sum of
    // one term per axis, so each candidate's four terms per axis are worked
    // out once and added up for the 64 colours.
    int32_t keys[64];
    std::fill(keys, keys + 64, INT32_MAX);
    for (size_t k = 0; k < n; ++k) {
        const unsigned j = candidates[k];
        int32_t red2[4], green2[4], blue2[4];
        for (int i = 0; i < 4; ++i) {
            red2[i] = int32_t(squared(int(r & ~3u) + i - red[j])) << 8;
            green2[i] = int32_t(squared(int(g & ~3u) + i - green[j])) << 8;
            blue2[i] = int32_t(squared(int(b & ~3u) + i - blue[j])) << 8 | int32_t(j);
        }
        int32_t *key = keys;
        for (int dr = 0; dr < 4; ++dr)
            for (int dg = 0; dg < 4; ++dg, key += 4) {
                const int32_t rg = red2[dr] + green2[dg];
                for (int db = 0; db < 4; ++db)
                    key[db] = std::min(key[db], rg + blue2[db]);
            }
    }
    const uint32_t number = newTable();
    std::transform(keys, keys + 64, table(number), [](int32_t key) { return uint8_t(key); });
    return number;
}

unsigned paletteLookup_t::findSlowly(unsigned r, unsigned g, unsigned b)
{
    uint32_t &middle = middleState(r, g, b);
    if (wandering) {
        middleOf[middleCell(r, g, b)] = middle;
        return find(r, g, b);
    }
    uint16_t &fine = fineBlock[middleCell(r, g, b)];
    const std::pair<size_t, size_t> parent = middleSurvivors(middle);
    const uint8_t *candidates = middleLists.data() + parent.first;
    if (fine == 0) {
        if ((middle >> visitShift) + 1 < fineAfter) {
            middle += 1u << visitShift;
            return scan(r, g, b, candidates, parent.second);
        }
        fine = uint16_t(fineStates.size() / 8);
        fineStates.resize(fineStates.size() + 8, 0);
    }
    const size_t at = size_t(fine) * 8 + fineWithin(r, g, b);
    uint32_t state = fineStates[at];
    if (state == 0 || (state & unlisted)) {
        const uint32_t answered = state >> visitShift & 0x3f;
        if (answered + 1 < listAfter) {
            fineStates[at] = unlisted | (answered + 1) << visitShift;
            return scan(r, g, b, candidates, parent.second);
        }
        cubeSurvivors(red, green, blue, candidates, parent.second, r & ~3u, g & ~3u, b & ~3u, 4, &scratch);
        if (scratch.size() == 1) {
            uint32_t &constant = constantTable[scratch[0]];
            if (constant == 0) {
                constant = newTable();
                std::fill_n(table(constant), 64, scratch[0]);
            }
            fineStates[at] = tabled | constant;
            return scratch[0];
        }
        if (lists.size() + 257 >= (1u << visitShift)) {
            // No room left to point at another list: go straight to a table.
            fineStates[at] = tabled | makeTable(r, g, b, scratch.data(), scratch.size());
            return find(r, g, b);
        }
        state = uint32_t(lists.size());
        lists.push_back(uint8_t(scratch.size() - 1));
        lists.insert(lists.end(), scratch.begin(), scratch.end());
    }
    const uint8_t *list = lists.data() + (state & whereMask);
    const size_t n = size_t(list[0]) + 1;
    if ((state >> visitShift) + 1 == tableAfter) {
        fineStates[at] = tabled | makeTable(r, g, b, list + 1, n);
        return find(r, g, b);
    }
    fineStates[at] = state + (1u << visitShift);
    return scan(r, g, b, list + 1, n);
}
