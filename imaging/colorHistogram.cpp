// Sorting the pixels' codes on two threads: each counts the top bytes of
// half of the pixels, then deals the low 16 bits of that half's codes out
// to runs by top byte; then each sorts the runs of the top bytes that hold
// about half of the pixels, and makes their cells. The codes are worked
// out twice rather than kept between the two readings, which would cost
// 4 bytes a pixel.
#include "imaging/colorHistogram.h"

#include "base/onTwoThreads.h"

#include <algorithm>

namespace {

/// Sorts 16-bit numbers: two passes of 8 bits, in linear time, `scratch`
/// as large. Each pass writes to 256 places at once, few enough for the
/// caches.
void sortLowBits(uint16_t *codes, uint16_t *scratch, size_t n)
{
    size_t start[2][257] = {};
    for (size_t i = 0; i < n; ++i) {
        ++start[0][(codes[i] & 255) + 1];
        ++start[1][(codes[i] >> 8) + 1];
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

uint32_t codeOf(const uint8_t *pixel) { return colorCode(pixel[2], pixel[1], pixel[0]); }

/// A few colour codes to leave out, asked for every pixel: a filter of one
/// bit per value of a code's low 12 bits answers most colours at once.
class leftOutCodes_t {
public:
    explicit leftOutCodes_t(const std::vector<uint32_t> &codes) : codes(codes)
    {
        for (uint32_t code : codes)
            filter[(code & 4095) / 64] |= uint64_t(1) << (code & 63);
    }
    bool has(uint32_t code) const
    {
        if ((filter[(code & 4095) / 64] >> (code & 63) & 1) == 0)
            return false;
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    }

private:
    const std::vector<uint32_t> &codes;
    uint64_t filter[64] = {};
};

} // namespace

colorHistogram_t::colorHistogram_t(const pixelRuns_t &pixels, secondThread_t &thread,
                                   const std::vector<uint32_t> &leftOut)
{
    const leftOutCodes_t skipped(leftOut);
    const bool skipping = !leftOut.empty();
    // The halves of the pixels, at the run where the second begins.
    const size_t runFrom[3] = {0, pixels.halfwayRun(), pixels.runCount()};
    size_t top[2][256] = {};
    onTwoThreads(thread, [&](unsigned half) {
        size_t *counts = top[half];
        pixels.forEach(runFrom[half], runFrom[half + 1], [&](const uint8_t *pixel) {
            const uint32_t code = codeOf(pixel);
            if (!skipping || !skipped.has(code))
                ++counts[code >> 16];
        });
    });
    size_t numPixels = 0;
    for (unsigned d = 0; d < 256; ++d)
        numPixels += top[0][d] + top[1][d];
    low.resize(numPixels);
    // Each top byte's codes in one run, the first half's before the second's.
    size_t at[2][256], bucket[257];
    bucket[0] = 0;
    for (unsigned d = 0; d < 256; ++d) {
        at[0][d] = bucket[d];
        at[1][d] = at[0][d] + top[0][d];
        bucket[d + 1] = at[1][d] + top[1][d];
    }
    onTwoThreads(thread, [&](unsigned half) {
        size_t *next = at[half];
        pixels.forEach(runFrom[half], runFrom[half + 1], [&](const uint8_t *pixel) {
            const uint32_t code = codeOf(pixel);
            if (!skipping || !skipped.has(code))
                low[next[code >> 16]++] = uint16_t(code);
        });
    });
    // The second thread takes the top bytes from the one where the second
    // half of the pixels begins; a cell never spans two top bytes.
    const unsigned topSplit[3] = {
        0, unsigned(std::lower_bound(bucket, bucket + 256, numPixels / 2) - bucket), 256};
    size_t cellCount[2] = {};
    onTwoThreads(thread, [&](unsigned half) {
        size_t largest = 0;
        for (unsigned d = topSplit[half]; d < topSplit[half + 1]; ++d)
            largest = std::max(largest, bucket[d + 1] - bucket[d]);
        std::vector<uint16_t> scratch(largest);
        size_t count = 0;
        for (unsigned d = topSplit[half]; d < topSplit[half + 1]; ++d) {
            uint16_t *codes = low.data() + bucket[d];
            const size_t n = bucket[d + 1] - bucket[d];
            sortLowBits(codes, scratch.data(), n);
            for (size_t i = 0; i < n; ++i)
                count += i == 0 || codes[i] >> 9 != codes[i - 1] >> 9;
        }
        cellCount[half] = count;
    });
    cells.resize(cellCount[0] + cellCount[1]);
    cellCodes.resize(cells.size());
    onTwoThreads(thread, [&](unsigned half) {
        size_t cell = half == 0 ? 0 : cellCount[0];
        for (unsigned d = topSplit[half]; d < topSplit[half + 1]; ++d)
            for (size_t i = bucket[d]; i < bucket[d + 1]; ++i) {
                const uint32_t code = d << 16 | low[i];
                const uint32_t rgb = colorOfCode(code);
                const unsigned r = rgb >> 16, g = (rgb >> 8) & 0xff, b = rgb & 0xff;
                if (i == bucket[d] || low[i - 1] >> 9 != low[i] >> 9) {
                    cellCodes[cell] = code >> 9;
                    cells[cell++] = {uint32_t(i), 0, uint8_t(d), uint8_t(r & ~7u), uint8_t(g & ~7u),
                                     uint8_t(b & ~7u), {0, 0, 0, 0, 0}};
                }
                colorCell_t &current = cells[cell - 1];
                current.end = uint32_t(i + 1);
                current.totals.add({1, r, g, b, r * r + g * g + b * b});
            }
    });
}

size_t colorHistogram_t::firstCellAtOrAfter(uint32_t code) const
{
    return size_t(std::lower_bound(cellCodes.begin(), cellCodes.end(), code >> 9) - cellCodes.begin());
}
