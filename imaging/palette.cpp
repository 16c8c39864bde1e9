// Palette selection by colour-box subdivision.
//
// The boxes are counted through paletteCounts_t rather than by walking the
// box list for every pixel: every iteration reads two running totals per box,
// and the pixels are visited once to count and once for the canon.
#include "imaging/palette.h"

#include "imaging/colorCube.h"
#include "imaging/paletteCounts.h"

#include "diagnostics/traceStep.h"

#include <algorithm>
#include <cassert>
#include <numeric>
#include <vector>

namespace {

double volume(const colorCube_t &cube)
{
    return double(cube.rMax - cube.rMin + 1) * double(cube.gMax - cube.gMin + 1) *
           double(cube.bMax - cube.bMin + 1);
}

/// A box of a single colour has nothing left to split: letting it through
/// would repeat the same split forever (possible only for very large colour
/// counts; the tool asks for 224).
bool passesSplitTest(const colorCube_t &cube, double t, unsigned maxColors)
{
    return volume(cube) > 1.0 && cube.share > 1.0 && cube.share / volume(cube) < 9.0 * t * maxColors / 16777216.0;
}

/// A box's edge, or 0 when one of its ranges is empty.
unsigned edgeOf(const colorCube_t &cube)
{
    if (cube.rMin > cube.rMax || cube.gMin > cube.gMax || cube.bMin > cube.bMax)
        return 0;
    return unsigned(cube.rMax) - cube.rMin + 1;
}

/// The final box list of the subdivision, from the whole cube.
std::vector<colorCube_t> getCubes(paletteCounts_t &counts, unsigned numPixels, unsigned maxColors)
{
    std::vector<colorCube_t> list(1);
    list[0].rMin = list[0].gMin = list[0].bMin = 0;
    list[0].rMax = list[0].gMax = list[0].bMax = 255;
    list[0].rCanon = list[0].gCanon = list[0].bCanon = 127;

    std::vector<uint32_t> fine;
    std::vector<colorCube_t> nextList;
    for (;;) {
        const unsigned n = unsigned(list.size());
        TRACE(8, "Cube Split... %d %s\n", n, n > 1 ? "Cubes" : "Cube");

        fine.clear();
        for (unsigned i = 0; i < n; ++i) {
            const unsigned edge = edgeOf(list[i]);
            if (edge > 0 && edge < 4)
                fine.push_back(uint32_t(list[i].rMin) << 16 | list[i].gMin << 8 | list[i].bMin);
        }
        if (!fine.empty())
            counts.detail(fine);
        uint64_t totalHits = 0;
        for (unsigned i = 0; i < n; ++i) {
            const unsigned edge = edgeOf(list[i]);
            list[i].hits =
                edge ? counts.pixelsIn(list[i].rMin, list[i].gMin, list[i].bMin, edge) : 0;
            totalHits += list[i].hits;
        }
        assert(totalHits== numPixels);

        for (unsigned i = 0; i < n; ++i)
            list[i].share = double(list[i].hits) * maxColors / numPixels;

        double t = double(maxColors) / n;
        if (t < 1.0)
            t = 1.0;

        unsigned splits = 0, removes = 0;
        auto count = [&] {
            splits = removes = 0;
            for (unsigned i = 0; i < n; ++i) {
                if (passesSplitTest(list[i], t, maxColors))
                    ++splits;
                if (list[i].hits == 0)
                    ++removes;
            }
        };
        count();
        if (splits == 0 && n - removes < 2 * maxColors / 3) {
            traceStep_t step;
            TRACE(8, "split second try\n");
            t *= double(maxColors) / double(n - removes);
            count();
        }
        TRACE(8, "...%d splits, %d removes\n", splits, removes);

        const unsigned next = splits * 7 + n - removes;
        nextList.assign(next, colorCube_t());
        unsigned k = 0;
        for (unsigned i = 0; i < n; ++i) {
            if (list[i].hits == 0)
                continue;
            if (passesSplitTest(list[i], t, maxColors)) {
                splitCube(&nextList[k], &list[i]);
                k += 8;
            } else {
                nextList[k++] = list[i];
            }
        }
        assert(k == next);
        list.swap(nextList);
        if (splits == 0)
            return list;
    }
}

// Halves the inclusive range [lo, hi]. A single-value range has an empty
// upper half; at 255 the upper bound would wrap, so the empty half is spelled
// as 255..254 there.
void halve(uint8_t lo, uint8_t hi, uint8_t half[2][2])
{
    const unsigned mid = (unsigned(lo) + hi) / 2;
    half[0][0] = lo;
    half[0][1] = uint8_t(mid);
    half[1][0] = mid == 255 ? 255 : uint8_t(mid + 1);
    half[1][1] = mid == 255 ? 254 : hi;
}

} // namespace

void splitCube(colorCube_t *destination, colorCube_t *source)
{
    uint8_t r[2][2], g[2][2], b[2][2];
    halve(source->rMin, source->rMax, r);
    halve(source->gMin, source->gMax, g);
    halve(source->bMin, source->bMax, b);
    for (unsigned k = 0; k < 8; ++k) {
        colorCube_t &c = destination[k];
        const uint8_t *rh = r[k & 1], *gh = g[(k >> 1) & 1], *bh = b[(k >> 2) & 1];
        c.rMin = rh[0];
        c.rMax = rh[1];
        c.gMin = gh[0];
        c.gMax = gh[1];
        c.bMin = bh[0];
        c.bMax = bh[1];
        c.rCanon = uint8_t((unsigned(c.rMin) + c.rMax) / 2);
        c.gCanon = uint8_t((unsigned(c.gMin) + c.gMax) / 2);
        c.bCanon = uint8_t((unsigned(c.bMin) + c.bMax) / 2);
    }
}

palette_t getOptimalPalette(const pixelRuns_t &pixels, unsigned maxColors)
{
    traceStep_t titled(1, "Selecting palette\n");

    palette_t palette{};
    const unsigned numPixels = unsigned(pixels.total());
    paletteCounts_t counts(pixels);
    std::vector<colorCube_t> list = getCubes(counts, numPixels, maxColors);
    const unsigned numCubes = unsigned(list.size());

    for (unsigned i = 0; i < numCubes; ++i)
        list[i].density = list[i].share / volume(list[i]);

    // The palette has room for 256 colours, whatever maxColors asks for.
    const unsigned k = std::min({numCubes, maxColors, 256u});
    // Taking the densest box k times over, the first of equals each time, is
    // a stable sort by falling density: every kept box has a positive one.
    std::vector<unsigned> order(numCubes);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](unsigned a, unsigned b) { return list[a].density > list[b].density; });
    TRACE(1, "Selected %d colors\n", k);
    TRACE(1, "Selecting canon...\n");

    std::vector<paletteCounts_t::cube_t> chosen(k);
    for (unsigned s = 0; s < k; ++s) {
        const colorCube_t &cube = list[order[s]];
        chosen[s] = {cube.rMin, cube.gMin, cube.bMin, edgeOf(cube)};
    }
    const std::vector<paletteCounts_t::sums_t> sums = counts.sumsOf(chosen);
    for (unsigned s = 0; s < k; ++s) {
        colorCube_t &cube = list[order[s]];
        cube.rCanon = uint8_t(sums[s].red / cube.hits);
        cube.gCanon = uint8_t(sums[s].green / cube.hits);
        cube.bCanon = uint8_t(sums[s].blue / cube.hits);
        palette.append(cube.rCanon, cube.gCanon, cube.bCanon);
    }

    return palette;
}
