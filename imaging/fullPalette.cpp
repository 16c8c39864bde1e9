// The full palette works on the image's pixels sorted by colorCode
// (colorHistogram_t), where an aligned cube of colours is one run and its
// octants are eight consecutive runs, and on the cubes of edge 8 they fill.
#include "imaging/fullPalette.h"

#include "imaging/colorCode.h"
#include "imaging/colorHistogram.h"
#include "imaging/cubeSurvivors.h"
#include "base/onTwoThreads.h"

#include "diagnostics/traceStep.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <numeric>
#include <vector>

namespace {

/// An aligned cube of colours and the totals of the histogram's colours in
/// it.
struct box_t {
    uint8_t r, g, b;
    unsigned edge;
    colorTotals_t totals;
    uint64_t error;
};

box_t makeBox(const colorHistogram_t &histogram, unsigned r, unsigned g, unsigned b, unsigned edge)
{
    box_t box{uint8_t(r), uint8_t(g), uint8_t(b), edge, {}, 0};
    const uint32_t first = colorCode(r, g, b);
    // Summed over the box's cells, or its colours when it is smaller than a
    // cell: only split boxes are measured, and running totals for every
    // colour would cost a photograph 40 bytes a pixel.
    colorTotals_t &t = box.totals;
    t = {0, 0, 0, 0, 0};
    if (edge >= 8) {
        const auto &cells = histogram.allCells();
        std::for_each(cells.begin() + histogram.firstCellAtOrAfter(first),
                      cells.begin() + histogram.firstCellAtOrAfter(first + edge * edge * edge),
                      [&t](const colorCell_t &cell) { t.add(cell.totals); });
    } else {
        // Inside a single cell: its colours that lie in the box.
        const size_t c = histogram.firstCellAtOrAfter(first);
        if (c < histogram.allCells().size() && histogram.cellCode(c) == first >> 9)
            histogram.forEachColor(histogram.allCells()[c], [&](unsigned cr, unsigned cg, unsigned cb, uint64_t n) {
                if (cr - r < edge && cg - g < edge && cb - b < edge)
                    t.add({n, n * cr, n * cg, n * cb, n * (cr * cr + cg * cg + cb * cb)});
            });
    }
    if (t.n > 0)
        box.error = (t.n * t.squares - (t.r * t.r + t.g * t.g + t.b * t.b)) / t.n;
    return box;
}

/// Splits the box with the largest error until there are maxColors boxes
/// or no box holds two colours.
void splitByError(const colorHistogram_t &histogram, std::vector<box_t> *boxes, unsigned maxColors)
{
    while (boxes->size() < maxColors) {
        size_t worst = 0;
        for (size_t i = 1; i < boxes->size(); ++i)
            if ((*boxes)[i].error > (*boxes)[worst].error)
                worst = i;
        const box_t box = (*boxes)[worst];
        if (box.error == 0)
            return;
        // A box with two colours or more has an edge of 2 or more.
        const unsigned half = box.edge / 2;
        std::vector<box_t> octants;
        for (unsigned k = 0; k < 8; ++k) {
            box_t octant = makeBox(histogram, box.r + (k & 1) * half, box.g + ((k >> 1) & 1) * half,
                                   box.b + ((k >> 2) & 1) * half, half);
            if (octant.totals.n > 0)
                octants.push_back(octant);
        }
        boxes->erase(boxes->begin() + worst);
        boxes->insert(boxes->begin() + worst, octants.begin(), octants.end());
    }
}

unsigned clampTo(unsigned v, unsigned lo, unsigned edge) { return std::min(std::max(v, lo), lo + edge - 1); }

/// Adds each colour of cells [from, to) to the totals of its nearest entry. Each colour is visited once, so rather
/// than a search structure that pays off for colours asked again, the
/// colours of a cell share one list of candidates, taken from the list of
/// their cube of edge 32; a cell with a single candidate adds its totals at
/// once.
void assignNearest(const colorHistogram_t &histogram, const palette_t &palette, size_t from, size_t to,
                   std::vector<colorTotals_t> *sums)
{
    const std::vector<colorCell_t> &cells = histogram.allCells();
    std::vector<uint8_t> all(palette.size()), coarse, fine;
    std::iota(all.begin(), all.end(), uint8_t(0));
    colorLanes_t coarseLanes, fineLanes;
    uint32_t coarseCube = ~0u;
    for (size_t c = from; c < to; ++c) {
        const colorCell_t &cell = cells[c];
        const uint32_t cube = histogram.cellCode(c) >> 6;
        if (cube != coarseCube) {
            coarseCube = cube;
            cubeSurvivors(palette.redPlane(), palette.greenPlane(), palette.bluePlane(), all.data(), all.size(),
                          cell.r & ~31u, cell.g & ~31u, cell.b & ~31u, 32, &coarse);
            coarseLanes.gather(palette.redPlane(), palette.greenPlane(), palette.bluePlane(), coarse.data(),
                               coarse.size());
        }
        cubeSurvivors(coarseLanes, coarse.data(), cell.r, cell.g, cell.b, 8, &fine);
        if (fine.size() == 1) {
            (*sums)[fine[0]].add(cell.totals);
            continue;
        }
        fineLanes.gather(palette.redPlane(), palette.greenPlane(), palette.bluePlane(), fine.data(), fine.size());
        histogram.forEachColor(cell, [&](unsigned r, unsigned g, unsigned b, uint64_t n) {
            (*sums)[fine[fineLanes.nearest(r, g, b)]].add({n, n * r, n * g, n * b, 0});
        });
    }
}

/// Moves each entry to the mean of the colours nearest to it, kept inside
/// boxes[j]; returns whether any entry moved. The cells are shared out
/// between two threads a stretch at a time, whichever is free taking the
/// next, each with totals of its own: the colours of some stretches cost
/// more than others', and integer sums come out the same in any order, so
/// the result does not depend on who took what.
bool refine(const colorHistogram_t &histogram, const std::vector<box_t> &boxes, palette_t *palette,
            secondThread_t &thread)
{
    const size_t cellCount = histogram.allCells().size();
    const unsigned k = palette->size();
    // A stretch is many cubes of edge 32 (whose candidates a stretch finds
    // once each), and a small share of a thread's work.
    constexpr size_t kStretch = 512;
    std::atomic<size_t> nextStretch{0};
    std::vector<colorTotals_t> sums[2] = {std::vector<colorTotals_t>(k, colorTotals_t{0, 0, 0, 0, 0}),
                                          std::vector<colorTotals_t>(k, colorTotals_t{0, 0, 0, 0, 0})};
    onTwoThreads(thread, [&](unsigned share) {
        for (size_t from; (from = nextStretch.fetch_add(kStretch)) < cellCount;)
            assignNearest(histogram, *palette, from, std::min(from + kStretch, cellCount), &sums[share]);
    });
    for (unsigned j = 0; j < k; ++j)
        sums[0][j].add(sums[1][j]);
    bool moved = false;
    // Entries beyond the boxes are fixed.
    for (unsigned j = 0; j < boxes.size(); ++j) {
        const colorTotals_t &t = sums[0][j];
        if (t.n == 0)
            continue;
        const box_t &box = boxes[j];
        const uint8_t r = uint8_t(clampTo(unsigned((t.r + t.n / 2) / t.n), box.r, box.edge));
        const uint8_t g = uint8_t(clampTo(unsigned((t.g + t.n / 2) / t.n), box.g, box.edge));
        const uint8_t b = uint8_t(clampTo(unsigned((t.b + t.n / 2) / t.n), box.b, box.edge));
        moved |= r != palette->red(j) || g != palette->green(j) || b != palette->blue(j);
        palette->replace(j, r, g, b);
    }
    return moved;
}

/// The first `k` entries of `palette` without those that equal an entry
/// before them (the fixed ones, from k on, come first in that), the rest
/// zero.
palette_t distinctEntries(const palette_t &palette, unsigned k)
{
    std::vector<uint32_t> taken;
    for (unsigned j = k; j < palette.size(); ++j)
        taken.push_back(palette.rgb(j));
    palette_t distinct{};
    for (unsigned j = 0; j < k; ++j) {
        const uint32_t rgb = palette.rgb(j);
        if (std::find(taken.begin(), taken.end(), rgb) != taken.end())
            continue;
        taken.push_back(rgb);
        distinct.append(palette.red(j), palette.green(j), palette.blue(j));
    }
    if (distinct.size() < k)
        TRACE(8, "%d entries dropped as repeats\n", int(k - distinct.size()));
    return distinct;
}

} // namespace

palette_t getFullPalette(const pixelRuns_t &pixels, unsigned maxColors, const palette_t *fixed,
                         secondThread_t &thread)
{
    traceStep_t titled(1, "Selecting full palette\n");

    const unsigned numFixed = fixed != nullptr ? fixed->size() : 0;
    assert(maxColors >= 1 && maxColors + numFixed <= 256);
    // n * sum |p|^2 must fit 64 bits.
    assert(pixels.total() >= 1 && pixels.total() <= 1u << 23);
    // A pixel of a fixed colour is served already: it neither asks for an
    // entry nor pulls one towards itself.
    std::vector<uint32_t> fixedCodes;
    for (unsigned j = 0; j < numFixed; ++j)
        fixedCodes.push_back(colorCode(fixed->red(j), fixed->green(j), fixed->blue(j)));
    const colorHistogram_t histogram(pixels, thread, fixedCodes);
    const unsigned numPixels = unsigned(histogram.pixelCount());
    if (numPixels == 0) {
        TRACE(1, "Selected %d colors\n", 0);
        return palette_t{};
    }

    std::vector<box_t> boxes = {makeBox(histogram, 0, 0, 0, 256)};
    splitByError(histogram, &boxes, maxColors);
    TRACE(8, "%d boxes after splitting by error\n", int(boxes.size()));

    // The same selection as getOptimalPalette: the densest boxes first.
    std::vector<double> density(boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        const double share = double(boxes[i].totals.n) * maxColors / numPixels;
        const double edge = boxes[i].edge;
        density[i] = share / (edge * edge * edge);
    }
    std::vector<size_t> order(boxes.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return density[a] > density[b]; });
    const unsigned k = unsigned(std::min<size_t>(boxes.size(), maxColors));
    TRACE(1, "Selected %d colors\n", k);

    palette_t palette{};
    std::vector<box_t> chosen;
    for (unsigned s = 0; s < k; ++s) {
        chosen.push_back(boxes[order[s]]);
        const colorTotals_t &t = chosen.back().totals;
        palette.append(uint8_t(t.r / t.n), uint8_t(t.g / t.n), uint8_t(t.b / t.n));
    }
    // The fixed colours follow the chosen ones as centres that never move.
    for (unsigned j = 0; j < numFixed; ++j)
        palette.append(fixed->red(j), fixed->green(j), fixed->blue(j));

    unsigned passes = 0;
    while (passes < kFullPaletteRefinements) {
        ++passes;
        if (!refine(histogram, chosen, &palette, thread))
            break;
    }
    TRACE(1, "Refined colors in %d passes\n", int(passes));
    return distinctEntries(palette, k);
}
