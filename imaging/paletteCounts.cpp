#include "imaging/paletteCounts.h"

#include "base/mappedAtOnce.h"
#include "imaging/colorCode.h"

#include <algorithm>
#include <cassert>

namespace {

constexpr unsigned numCells = 1u << 18;

} // namespace

uint32_t paletteCounts_t::code(unsigned r, unsigned g, unsigned b)
{
    return colorCode(r, g, b);
}

paletteCounts_t::paletteCounts_t(const pixelRuns_t &pixels)
    : pixels(pixels), isDetailed(numCells / 64, 0)
{
    resizeMappedAtOnce(below, numCells + 1);
    uint32_t *count = below.data() + 1;
    pixels.forEach([count](const uint8_t *pixel) { ++count[cellOf(pixel[2], pixel[1], pixel[0])]; });
    for (unsigned c = 0; c < numCells; ++c)
        below[c + 1] += below[c];
}

bool paletteCounts_t::detailed(unsigned r, unsigned g, unsigned b) const
{
    const uint32_t cell = cellOf(r, g, b);
    return (isDetailed[cell >> 6] >> (cell & 63)) & 1;
}

void paletteCounts_t::detail(const std::vector<uint32_t> &colors)
{
    std::vector<uint64_t> wanted(numCells / 64, 0);
    bool any = false;
    for (uint32_t color : colors) {
        const uint32_t cell = cellOf(color >> 16, (color >> 8) & 0xff, color & 0xff);
        if (!((isDetailed[cell >> 6] >> (cell & 63)) & 1)) {
            wanted[cell >> 6] |= uint64_t(1) << (cell & 63);
            any = true;
        }
    }
    if (!any)
        return;
    const size_t old = exact.size();
    pixels.forEach([&](const uint8_t *pixel) {
        const uint32_t number = code(pixel[2], pixel[1], pixel[0]);
        if ((wanted[number >> 12] >> ((number >> 6) & 63)) & 1)
            exact.push_back(number);
    });
    std::sort(exact.begin() + old, exact.end());
    std::inplace_merge(exact.begin(), exact.begin() + old, exact.end());
    for (size_t word = 0; word < wanted.size(); ++word)
        isDetailed[word] |= wanted[word];
}

std::pair<size_t, size_t> paletteCounts_t::exactRun(unsigned r, unsigned g, unsigned b,
                                                    unsigned edge) const
{
    assert(detailed(r, g, b));
    const uint32_t first = code(r, g, b);
    const auto begin = std::lower_bound(exact.begin(), exact.end(), first);
    const auto end = std::lower_bound(begin, exact.end(), first + edge * edge * edge);
    return {size_t(begin - exact.begin()), size_t(end - exact.begin())};
}

uint32_t paletteCounts_t::pixelsIn(unsigned r, unsigned g, unsigned b, unsigned edge) const
{
    if (edge >= 4) {
        const uint32_t first = cellOf(r, g, b), cells = (edge / 4) * (edge / 4) * (edge / 4);
        return below[first + cells] - below[first];
    }
    const auto run = exactRun(r, g, b, edge);
    return uint32_t(run.second - run.first);
}

std::vector<paletteCounts_t::sums_t> paletteCounts_t::sumsOf(const std::vector<cube_t> &cubes)
{
    std::vector<sums_t> sums(cubes.size() + 1, sums_t{0, 0, 0});
    // Cubes of edge 4 or more own whole cells: one pass over the pixels adds
    // each to its cube's slot, the last slot taking everything else. The
    // slots take the place of the running totals, which are not asked for
    // again.
    const uint32_t elsewhere = uint32_t(cubes.size());
    std::vector<uint32_t> &slot = below;
    bool slotted = false;
    for (size_t i = 0; i < cubes.size(); ++i) {
        const cube_t &cube = cubes[i];
        if (cube.edge >= 4) {
            if (!slotted)
                std::fill(slot.begin(), slot.end(), elsewhere);
            slotted = true;
            const uint32_t first = cellOf(cube.r, cube.g, cube.b);
            const uint32_t cells = (cube.edge / 4) * (cube.edge / 4) * (cube.edge / 4);
            std::fill(slot.begin() + first, slot.begin() + first + cells, uint32_t(i));
        } else {
            const auto run = exactRun(cube.r, cube.g, cube.b, cube.edge);
            for (size_t e = run.first; e < run.second; ++e) {
                const uint32_t rgb = colorOfCode(exact[e]);
                sums[i].red += rgb >> 16;
                sums[i].green += (rgb >> 8) & 0xff;
                sums[i].blue += rgb & 0xff;
            }
        }
    }
    if (slotted) {
        pixels.forEach([&](const uint8_t *pixel) {
            sums_t &to = sums[slot[cellOf(pixel[2], pixel[1], pixel[0])]];
            to.red += pixel[2];
            to.green += pixel[1];
            to.blue += pixel[0];
        });
    }
    sums.pop_back();
    return sums;
}
