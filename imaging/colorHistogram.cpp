// Counting distinct colours is a sort of the pixels' codes, done on two
// threads: the codes are dealt out by their top byte, then each thread
// sorts and counts the top bytes of its share of the pixels, and writes its
// part of the lists where it begins.
#include "imaging/colorHistogram.h"

#include "imaging/colorCode.h"
#include "imaging/onTwoThreads.h"

#include <algorithm>

namespace {

/// Sorts codes that share their top byte by their lower 16 bits: two
/// passes of 8 bits, in linear time, `scratch` as large. Each pass writes
/// to 256 places at once, few enough for the caches.
void sortLowBits(uint32_t *codes, uint32_t *scratch, size_t n)
{
    size_t start[2][257] = {};
    for (size_t i = 0; i < n; ++i) {
        ++start[0][(codes[i] & 255) + 1];
        ++start[1][((codes[i] >> 8) & 255) + 1];
    }
    for (unsigned pass = 0; pass < 2; ++pass) {
        size_t *at = start[pass];
        for (unsigned d = 0; d < 256; ++d)
            at[d + 1] += at[d];
        const unsigned shift = 8 * pass;
        for (size_t i = 0; i < n; ++i)
            scratch[at[(codes[i] >> shift) & 255]++] = codes[i];
        std::swap(codes, scratch);
    }
    // After two passes the sorted codes are back where they started.
}

/// Distinct codes and cells in a sorted run.
void countDistinct(const uint32_t *codes, size_t n, size_t *distinct, size_t *cells)
{
    size_t codeCount = n > 0, cellCount = n > 0;
    for (size_t i = 1; i < n; ++i) {
        codeCount += codes[i] != codes[i - 1];
        cellCount += codes[i] >> 9 != codes[i - 1] >> 9;
    }
    *distinct = codeCount;
    *cells = cellCount;
}

} // namespace

colorHistogram_t::colorHistogram_t(const pixelRuns_t &pixels)
{
    const size_t numPixels = size_t(pixels.total);
    std::vector<uint32_t> all(numPixels), sorted(numPixels);
    // The halves of the pixels, at the run where the second begins.
    size_t runSplit = 0, before = 0;
    while (runSplit < pixels.runs.size() && before + pixels.runs[runSplit].count <= numPixels / 2)
        before += pixels.runs[runSplit++].count;
    const size_t runFrom[3] = {0, runSplit, pixels.runs.size()};
    const size_t pixelSplit[3] = {0, before, numPixels};
    size_t top[2][256] = {};
    onTwoThreads([&](unsigned half) {
        uint32_t *code = all.data() + pixelSplit[half];
        size_t *counts = top[half];
        pixels.forEach(runFrom[half], runFrom[half + 1], [&](const uint8_t *pixel) {
            *code = colorCode(pixel[2], pixel[1], pixel[0]);
            ++counts[*code++ >> 16];
        });
    });
    // Each top byte's codes in one run, the first half's before the second's.
    size_t at[2][256], bucket[257];
    bucket[0] = 0;
    for (unsigned d = 0; d < 256; ++d) {
        at[0][d] = bucket[d];
        at[1][d] = at[0][d] + top[0][d];
        bucket[d + 1] = at[1][d] + top[1][d];
    }
    onTwoThreads([&](unsigned half) {
        size_t *next = at[half];
        for (size_t p = pixelSplit[half]; p < pixelSplit[half + 1]; ++p)
            sorted[next[all[p] >> 16]++] = all[p];
    });
    // The second thread takes the top bytes from the one where the second
    // half of the pixels begins; a cell never spans two top bytes.
    const unsigned topSplit[3] = {
        0, unsigned(std::lower_bound(bucket, bucket + 256, numPixels / 2) - bucket), 256};
    size_t distinct[2] = {}, cellCount[2] = {};
    onTwoThreads([&](unsigned half) {
        for (unsigned d = topSplit[half]; d < topSplit[half + 1]; ++d) {
            sortLowBits(sorted.data() + bucket[d], all.data() + bucket[d], bucket[d + 1] - bucket[d]);
        }
        const size_t begin = bucket[topSplit[half]], end = bucket[topSplit[half + 1]];
        countDistinct(sorted.data() + begin, end - begin, &distinct[half], &cellCount[half]);
    });
    // The lists take the place of the scratch space, not room beside it.
    std::vector<uint32_t>().swap(all);
    counts.resize(distinct[0] + distinct[1]);
    red.resize(counts.size());
    green.resize(counts.size());
    blue.resize(counts.size());
    cells.resize(cellCount[0] + cellCount[1]);
    cellCodes.resize(cells.size());
    onTwoThreads([&](unsigned half) {
        const size_t begin = bucket[topSplit[half]], end = bucket[topSplit[half + 1]];
        size_t out = half == 0 ? 0 : distinct[0];
        size_t cell = half == 0 ? 0 : cellCount[0];
        for (size_t i = begin; i < end;) {
            size_t j = i;
            while (j < end && sorted[j] == sorted[i])
                ++j;
            const uint32_t c = sorted[i];
            const uint32_t rgb = colorOfCode(c);
            const unsigned r = rgb >> 16, g = (rgb >> 8) & 0xff, b = rgb & 0xff;
            const uint64_t n = j - i;
            red[out] = uint8_t(r);
            green[out] = uint8_t(g);
            blue[out] = uint8_t(b);
            counts[out] = uint32_t(n);
            if (i == begin || sorted[i - 1] >> 9 != c >> 9) {
                cellCodes[cell] = c >> 9;
                cells[cell++] = {out, 0, uint8_t(r & ~7u), uint8_t(g & ~7u), uint8_t(b & ~7u), {0, 0, 0, 0, 0}};
            }
            colorCell_t &current = cells[cell - 1];
            current.end = ++out;
            current.totals.add({n, n * r, n * g, n * b, n * (r * r + g * g + b * b)});
            i = j;
        }
    });
}

size_t colorHistogram_t::firstCellAtOrAfter(uint32_t code) const
{
    return size_t(std::lower_bound(cellCodes.begin(), cellCodes.end(), code >> 9) - cellCodes.begin());
}
