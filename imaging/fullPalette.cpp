// The full palette works on the image's distinct colours, sorted by a number
// that interleaves the bits of red, green and blue (red lowest in each
// triple): an aligned cube of colours is then one run of that list and its
// octants are eight consecutive runs, so running totals give any box's
// statistics in two reads.
#include "imaging/fullPalette.h"

#include "imaging/colorCode.h"
#include "imaging/cubeSurvivors.h"
#include "imaging/squared.h"

#include "diagnostics/traceStep.h"

#include <algorithm>
#include <cassert>
#include <functional>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

namespace {

/// Joins a thread when the scope ends, also when an exception leaves it.
struct joinOnExit_t {
    std::thread *thread;
    ~joinOnExit_t() { thread->join(); }
};

/// Sorts 24-bit numbers: two passes of 12 bits, stable, in linear time (a
/// comparison sort of the composite's 307200 pixels costs several times
/// as much).
void sortCodes(std::vector<uint32_t> *codes)
{
    std::vector<uint32_t> other(codes->size());
    for (unsigned shift = 0; shift < 24; shift += 12) {
        std::vector<size_t> start(4097, 0);
        for (uint32_t c : *codes)
            ++start[((c >> shift) & 4095) + 1];
        for (unsigned d = 0; d < 4096; ++d)
            start[d + 1] += start[d];
        for (uint32_t c : *codes)
            other[start[(c >> shift) & 4095]++] = c;
        codes->swap(other);
    }
}

/// Totals over a run of colours: pixels, component sums, squared lengths.
struct totals_t {
    uint64_t n, r, g, b, squares;
};

/// The distinct colours of an image in interleaved order, with their
/// counts.
struct histogram_t {
    std::vector<uint32_t> codes;
    std::vector<uint8_t> red, green, blue;
    std::vector<uint32_t> counts;

    histogram_t(const uint8_t *pixels, unsigned numPixels)
    {
        std::vector<uint32_t> all(numPixels);
        for (unsigned p = 0; p < numPixels; ++p) {
            const uint8_t *pixel = pixels + uint64_t(p) * 4;
            all[p] = colorCode(pixel[2], pixel[1], pixel[0]);
        }
        sortCodes(&all);
        size_t distinct = 0;
        for (size_t i = 0; i < all.size(); ++i)
            distinct += i == 0 || all[i] != all[i - 1];
        codes.reserve(distinct);
        red.reserve(distinct);
        green.reserve(distinct);
        blue.reserve(distinct);
        counts.reserve(distinct);
        for (size_t i = 0; i < all.size();) {
            size_t j = i;
            while (j < all.size() && all[j] == all[i])
                ++j;
            const uint32_t c = all[i];
            const uint32_t rgb = colorOfCode(c);
            const unsigned r = rgb >> 16, g = (rgb >> 8) & 0xff, b = rgb & 0xff;
            const uint64_t n = j - i;
            codes.push_back(c);
            red.push_back(uint8_t(r));
            green.push_back(uint8_t(g));
            blue.push_back(uint8_t(b));
            counts.push_back(uint32_t(n));
            i = j;
        }
    }

    size_t firstAtOrAfter(uint32_t code) const
    {
        return size_t(std::lower_bound(codes.begin(), codes.end(), code) - codes.begin());
    }
};

/// An aligned cube of colours and the run of the histogram it holds.
struct box_t {
    uint8_t r, g, b;
    unsigned edge;
    size_t begin, end;
    totals_t totals;
    uint64_t error;
};

box_t makeBox(const histogram_t &histogram, unsigned r, unsigned g, unsigned b, unsigned edge)
{
    box_t box{uint8_t(r), uint8_t(g), uint8_t(b), edge, 0, 0, {}, 0};
    const uint32_t first = colorCode(r, g, b);
    box.begin = histogram.firstAtOrAfter(first);
    box.end = histogram.firstAtOrAfter(first + edge * edge * edge);
    // Summed over the box's run rather than kept as running totals for
    // every colour: only split boxes are measured, so each colour is summed
    // once for each of the at most eight levels of splitting, and a
    // photograph's few hundred thousand colours need no 40 bytes each.
    totals_t &t = box.totals;
    t = {0, 0, 0, 0, 0};
    for (size_t i = box.begin; i < box.end; ++i) {
        const uint64_t n = histogram.counts[i];
        const unsigned r = histogram.red[i], g = histogram.green[i], b = histogram.blue[i];
        t.n += n;
        t.r += n * r;
        t.g += n * g;
        t.b += n * b;
        t.squares += n * (r * r + g * g + b * b);
    }
    if (t.n > 0)
        box.error = (t.n * t.squares - (t.r * t.r + t.g * t.g + t.b * t.b)) / t.n;
    return box;
}

/// Splits the box with the largest error until there are maxColors boxes
/// or no box holds two colours.
void splitByError(const histogram_t &histogram, std::vector<box_t> *boxes, unsigned maxColors)
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

/// Adds each colour of [from, to) of the histogram, which starts a cube of
/// edge 32, to the totals of its nearest entry. Each colour is visited once,
/// so rather than a search structure that pays off for colours asked again,
/// the colours of a cube of edge 8 share one list of candidates, taken from
/// the list of their cube of edge 32.
void assignNearest(const histogram_t &histogram, const palette_t &palette, size_t from, size_t to,
                   std::vector<totals_t> *sums)
{
    std::vector<uint8_t> all(palette.numColors), coarse, fine;
    std::iota(all.begin(), all.end(), uint8_t(0));
    // Colours in one cube of edge 2^e share all but the lowest 3e bits.
    auto runEnd = [&](size_t begin, unsigned shift) {
        size_t end = begin;
        while (end < to && histogram.codes[end] >> shift == histogram.codes[begin] >> shift)
            ++end;
        return end;
    };
    for (size_t coarseBegin = from; coarseBegin < to;) {
        const size_t coarseEnd = runEnd(coarseBegin, 15);
        cubeSurvivors(palette.red, palette.green, palette.blue, all.data(), all.size(),
                      histogram.red[coarseBegin] & ~31u, histogram.green[coarseBegin] & ~31u,
                      histogram.blue[coarseBegin] & ~31u, 32, &coarse);
        for (size_t begin = coarseBegin; begin < coarseEnd;) {
            const size_t end = runEnd(begin, 9);
            cubeSurvivors(palette.red, palette.green, palette.blue, coarse.data(), coarse.size(),
                          histogram.red[begin] & ~7u, histogram.green[begin] & ~7u,
                          histogram.blue[begin] & ~7u, 8, &fine);
            for (size_t i = begin; i < end; ++i) {
                const int r = histogram.red[i], g = histogram.green[i], b = histogram.blue[i];
                unsigned best = ~0u, index = 0;
                for (uint8_t j : fine) {
                    const unsigned d = squared(r - palette.red[j]) + squared(g - palette.green[j]) +
                                       squared(b - palette.blue[j]);
                    if (d < best) {
                        best = d;
                        index = j;
                    }
                }
                totals_t &total = (*sums)[index];
                const uint64_t n = histogram.counts[i];
                total.n += n;
                total.r += n * unsigned(r);
                total.g += n * unsigned(g);
                total.b += n * unsigned(b);
            }
            begin = end;
        }
        coarseBegin = coarseEnd;
    }
}

/// Moves each entry to the mean of the colours nearest to it, kept inside
/// boxes[j]; returns whether any entry moved. The colours are shared out
/// between two threads, each with totals of its own: integer sums come out
/// the same in any order, so the result does not depend on the split.
bool refine(const histogram_t &histogram, const std::vector<box_t> &boxes, palette_t *palette)
{
    const unsigned k = palette->numColors;
    const size_t count = histogram.codes.size();
    // The second half starts at a cube of edge 32.
    size_t half = count / 2;
    while (half > 0 && half < count && histogram.codes[half] >> 15 == histogram.codes[half - 1] >> 15)
        ++half;
    std::vector<totals_t> sums(k, totals_t{0, 0, 0, 0, 0}), upper(k, totals_t{0, 0, 0, 0, 0});
    {
        std::thread second(assignNearest, std::cref(histogram), std::cref(*palette), half, count, &upper);
        joinOnExit_t join{&second};
        assignNearest(histogram, *palette, 0, half, &sums);
    }
    for (unsigned j = 0; j < k; ++j) {
        sums[j].n += upper[j].n;
        sums[j].r += upper[j].r;
        sums[j].g += upper[j].g;
        sums[j].b += upper[j].b;
    }
    bool moved = false;
    for (unsigned j = 0; j < k; ++j) {
        const totals_t &t = sums[j];
        if (t.n == 0)
            continue;
        const box_t &box = boxes[j];
        const uint8_t r = uint8_t(clampTo(unsigned((t.r + t.n / 2) / t.n), box.r, box.edge));
        const uint8_t g = uint8_t(clampTo(unsigned((t.g + t.n / 2) / t.n), box.g, box.edge));
        const uint8_t b = uint8_t(clampTo(unsigned((t.b + t.n / 2) / t.n), box.b, box.edge));
        moved |= r != palette->red[j] || g != palette->green[j] || b != palette->blue[j];
        palette->red[j] = r;
        palette->green[j] = g;
        palette->blue[j] = b;
    }
    return moved;
}

} // namespace

palette_t getFullPalette(const loadedImage_t *image, unsigned maxColors)
{
    traceStep_t titled(1, "Selecting full palette\n");

    assert(maxColors >= 1 && maxColors <= 256);
    const unsigned numPixels = image->width * image->height;
    // n * sum |p|^2 must fit 64 bits.
    assert(numPixels >= 1 && numPixels <= 1u << 23);
    const histogram_t histogram(image->pixels.data(), numPixels);

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
        const totals_t &t = chosen.back().totals;
        palette.red[s] = uint8_t(t.r / t.n);
        palette.green[s] = uint8_t(t.g / t.n);
        palette.blue[s] = uint8_t(t.b / t.n);
    }
    palette.numColors = k;

    unsigned passes = 0;
    while (passes < kFullPaletteRefinements) {
        ++passes;
        if (!refine(histogram, chosen, &palette))
            break;
    }
    TRACE(1, "Refined colors in %d passes\n", int(passes));
    return palette;
}
