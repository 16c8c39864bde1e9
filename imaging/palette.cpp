// Palette selection by colour-box subdivision.
//
// Every box the subdivision makes is a cube of power-of-two edge aligned to
// its edge, and so is exactly the set of colours whose interleaved ("Morton")
// code starts with a given prefix. With the image's distinct colours sorted by
// that code, every box is one contiguous run of them: counting a box's pixels
// is a subtraction of two running totals, splitting it is seven binary
// searches, and no iteration ever looks at the pixels again.
#include "imaging/imgtools.h"

#include "driver/traceMsg.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

/// Bit i of a component moved to bit 3i. Red takes the lowest bit of each
/// triple, then green, then blue, so a triple is the octant number of the
/// split at that bit.
struct mortonTable_t {
    uint32_t spread[256];
    /// For each byte of a code, its bits gathered back as red | green << 8 |
    /// blue << 16.
    uint32_t gather[3][256];
    mortonTable_t()
    {
        for (unsigned v = 0; v < 256; ++v) {
            spread[v] = 0;
            for (unsigned bit = 0; bit < 8; ++bit)
                spread[v] |= ((v >> bit) & 1u) << (3 * bit);
            for (unsigned byte = 0; byte < 3; ++byte) {
                gather[byte][v] = 0;
                for (unsigned bit = 0; bit < 8; ++bit) {
                    const unsigned at = 8 * byte + bit;
                    gather[byte][v] |= ((v >> bit) & 1u) << (8 * (at % 3) + at / 3);
                }
            }
        }
    }
    uint32_t code(unsigned r, unsigned g, unsigned b) const
    {
        return spread[r] | spread[g] << 1 | spread[b] << 2;
    }
    uint32_t rgb(uint32_t code) const
    {
        return gather[0][code & 0xff] | gather[1][(code >> 8) & 0xff] | gather[2][code >> 16];
    }
};

const mortonTable_t morton;

/// The distinct colours of an image in ascending Morton code, with running
/// pixel counts: the colours code[first..last) hold below[last] - below[first]
/// pixels.
struct colorHistogram_t {
    std::vector<uint32_t> code;
    std::vector<uint32_t> below;
    std::vector<uint8_t> red, green, blue;

    colorHistogram_t(const uint8_t *pixels, unsigned numPixels)
    {
        std::vector<uint32_t> keys(numPixels), sorted(numPixels);
        for (unsigned p = 0; p < numPixels; ++p) {
            const uint8_t *pixel = pixels + uint64_t(p) * 4;
            keys[p] = morton.code(pixel[2], pixel[1], pixel[0]);
        }
        // Two passes of a 12-bit radix sort over the 24-bit codes.
        std::vector<uint32_t> lowCount(4097, 0), highCount(4097, 0);
        for (uint32_t key : keys) {
            ++lowCount[(key & 0xfff) + 1];
            ++highCount[(key >> 12) + 1];
        }
        std::partial_sum(lowCount.begin(), lowCount.end(), lowCount.begin());
        std::partial_sum(highCount.begin(), highCount.end(), highCount.begin());
        for (uint32_t key : keys)
            sorted[lowCount[key & 0xfff]++] = key;
        for (uint32_t key : sorted)
            keys[highCount[key >> 12]++] = key;
        sorted.clear();
        sorted.shrink_to_fit();

        for (unsigned p = 0; p < numPixels; ++p) {
            if (p == 0 || keys[p] != keys[p - 1]) {
                code.push_back(keys[p]);
                below.push_back(p);
            }
        }
        below.push_back(numPixels);
        red.resize(code.size());
        green.resize(code.size());
        blue.resize(code.size());
        for (size_t i = 0; i < code.size(); ++i) {
            const uint32_t rgb = morton.rgb(code[i]);
            red[i] = uint8_t(rgb);
            green[i] = uint8_t(rgb >> 8);
            blue[i] = uint8_t(rgb >> 16);
        }
    }

    uint32_t pixelsIn(uint32_t first, uint32_t last) const { return below[last] - below[first]; }
};

/// Where a box's colours lie in the histogram: entries [first, last).
struct span_t {
    uint32_t first, last;
};

double volume(const colorCube_t &cube)
{
    return double(cube.rMax - cube.rMin + 1) * double(cube.gMax - cube.gMin + 1) *
           double(cube.bMax - cube.bMin + 1);
}

bool passesSplitTest(const colorCube_t &cube, double t, unsigned maxColors)
{
    return cube.share > 1.0 && cube.share / volume(cube) < 9.0 * t * maxColors / 16777216.0;
}

/// Cuts a box's span into the spans of its eight octants, in octant order.
void splitSpan(const colorHistogram_t &histogram, const colorCube_t &cube, span_t span,
               span_t *octants)
{
    const unsigned edge = unsigned(cube.rMax) - cube.rMin + 1;
    if (edge < 2) {
        // A single colour: it stays in the low octant, the others are empty.
        octants[0] = span;
        for (unsigned k = 1; k < 8; ++k)
            octants[k] = {span.last, span.last};
        return;
    }
    unsigned shift = 0;
    while ((2u << shift) < edge)
        ++shift;
    const uint32_t base = morton.code(cube.rMin, cube.gMin, cube.bMin);
    const uint32_t *codes = histogram.code.data();
    uint32_t start = span.first;
    for (unsigned k = 0; k < 8; ++k) {
        uint32_t end = span.last;
        if (k < 7) {
            const uint32_t limit = base + (uint32_t(k + 1) << (3 * shift));
            end = uint32_t(std::lower_bound(codes + start, codes + span.last, limit) - codes);
        }
        octants[k] = {start, end};
        start = end;
    }
}

colorCube_t *recursiveGetCubes(const colorHistogram_t &histogram, unsigned numPixels,
                               colorCube_t *list, std::vector<span_t> &spans, unsigned *numCubes,
                               unsigned maxColors)
{
    for (;;) {
        const unsigned n = *numCubes;
        TRACE(8, "Cube Split... %d %s\n", n, n > 1 ? "Cubes" : "Cube");

        uint64_t totalHits = 0;
        for (unsigned i = 0; i < n; ++i) {
            list[i].hits = histogram.pixelsIn(spans[i].first, spans[i].last);
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
            TRACE_ident();
            TRACE(8, "split second try\n");
            t *= double(maxColors) / double(n - removes);
            count();
            TRACE_dedent();
        }
        TRACE(8, "...%d splits, %d removes\n", splits, removes);

        const unsigned next = splits * 7 + n - removes;
        colorCube_t *nextList = new colorCube_t[next]();
        std::vector<span_t> nextSpans(next);
        unsigned k = 0;
        for (unsigned i = 0; i < n; ++i) {
            if (list[i].hits == 0)
                continue;
            if (passesSplitTest(list[i], t, maxColors)) {
                splitCube(nextList + k, list + i);
                splitSpan(histogram, list[i], spans[i], nextSpans.data() + k);
                k += 8;
            } else {
                nextList[k] = list[i];
                nextSpans[k] = spans[i];
                ++k;
            }
        }
        assert(k == next);
        delete[] list;
        list = nextList;
        spans.swap(nextSpans);
        *numCubes = next;
        if (splits == 0)
            return list;
    }
}

colorCube_t *getCubes(const colorHistogram_t &histogram, unsigned numPixels,
                      std::vector<span_t> &spans, unsigned *numCubes, unsigned maxColors)
{
    colorCube_t *list = new colorCube_t[1]();
    list[0].rMin = list[0].gMin = list[0].bMin = 0;
    list[0].rMax = list[0].gMax = list[0].bMax = 255;
    list[0].rCanon = list[0].gCanon = list[0].bCanon = 127;
    spans.assign(1, span_t{0, uint32_t(histogram.code.size())});
    *numCubes = 1;
    return recursiveGetCubes(histogram, numPixels, list, spans, numCubes, maxColors);
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

palette_t *getOptimalPalette(loadedImage_t *image, unsigned maxColors)
{
    TRACE_ident();
    TRACE(1, "Selecting palette\n");
    TRACE_ident();

    palette_t *palette = new palette_t();
    const unsigned numPixels = image->width * image->height;
    const colorHistogram_t histogram(image->pixels, numPixels);
    std::vector<span_t> spans;
    unsigned numCubes = 0;
    colorCube_t *list = getCubes(histogram, numPixels, spans, &numCubes, maxColors);

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

    for (unsigned s = 0; s < k; ++s) {
        colorCube_t &cube = list[order[s]];
        const span_t span = spans[order[s]];
        uint64_t rSum = 0, gSum = 0, bSum = 0;
        for (uint32_t c = span.first; c < span.last; ++c) {
            const uint64_t weight = histogram.pixelsIn(c, c + 1);
            rSum += weight * histogram.red[c];
            gSum += weight * histogram.green[c];
            bSum += weight * histogram.blue[c];
        }
        cube.rSum = uint32_t(rSum);
        cube.gSum = uint32_t(gSum);
        cube.bSum = uint32_t(bSum);
        cube.rCanon = uint8_t(rSum / cube.hits);
        cube.gCanon = uint8_t(gSum / cube.hits);
        cube.bCanon = uint8_t(bSum / cube.hits);
        palette->red[s] = cube.rCanon;
        palette->green[s] = cube.gCanon;
        palette->blue[s] = cube.bCanon;
    }
    palette->numColors = k;

    delete[] list;
    TRACE_dedent();
    TRACE_dedent();
    return palette;
}
