#include "imaging/dither.h"

#include "diagnostics/traceStep.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

/// Half the width of the weights, in pixels.
constexpr int kBlurRadius = 6;
/// One side of the weights: 64 * exp(-d^2 / 9) rounded, a Gaussian of sigma
/// 2.12, the autocorrelation of a blur of sigma 1.5 (what the eye makes of
/// grain); the weight of an offset (dx, dy) is side[|dx|] * side[|dy|].
constexpr int32_t kBlurSide[kBlurRadius + 1] = {64, 57, 41, 24, 11, 4, 1};
constexpr int64_t kBlurCentre = int64_t(kBlurSide[0]) * kBlurSide[0];

/// The blurred error of a dithered image, kept for the rows that passes of
/// kDitherRefinements still visit, and the passes themselves (see
/// ditherInto).
class ditherBlurRefiner_t {
public:
    ditherBlurRefiner_t(const loadedImage_t *image, const palette_t *palette, paletteLookup_t *lookup,
                        uint8_t *indices)
        : image(image), palette(palette), lookup(lookup), indices(indices), width(int64_t(image->width)),
          height(int64_t(image->height)), ringRows((kDitherRefinements + 2) * kBlurRadius + 1),
          blurred(size_t(ringRows) * size_t(width) * 3, 0), across(size_t(width) * 3, 0)
    {
        findNeighbours();
    }

    /// Row y has its first indices: its error joins the blurred error, and
    /// every pass visits the row it may visit now. Returns how many rows
    /// from the top are final.
    int64_t RowDithered(int64_t y)
    {
        if (y < height)
            addRowError(y);
        for (int64_t pass = 1; pass <= kDitherRefinements; ++pass) {
            const int64_t row = y - pass * kBlurRadius;
            if (row >= 0 && row < height)
                refineRow(row);
        }
        return std::min(height, std::max<int64_t>(0, y - kDitherRefinements * kBlurRadius + 1));
    }

    /// In sixteenths of a level, how far a pixel may be asked to be off its
    /// own colour after one took entry j: kDitherErrorLimit levels, or the
    /// distance from j to its nearest other entry, rounded down, when that
    /// is farther.
    int32_t ErrorLimit(unsigned j) const { return errorLimit[j]; }

    /// The last row the passes wait for: rows below the image are not there.
    int64_t LastRow() const { return height - 1 + kDitherRefinements * kBlurRadius; }

private:
    int32_t *blurredRow(int64_t y) { return blurred.data() + size_t(y % ringRows) * size_t(width) * 3; }

    int32_t channelOf(unsigned j, unsigned c) const
    {
        return c == 0 ? palette->red[j] : c == 1 ? palette->green[j] : palette->blue[j];
    }
    int32_t sourceOf(int64_t y, int64_t x, unsigned c) const
    {
        return image->pixels[size_t((y * width + x) * 4 + 2 - c)];
    }

    /// Each entry's nearest other entries, nearest first (the lowest index
    /// among equals), and the squared distance to the first of them.
    void findNeighbours()
    {
        const unsigned n = palette->numColors;
        neighbourCount = std::min(n - 1, kDitherNeighbours);
        neighbours.assign(size_t(n) * neighbourCount, 0);
        nearestSquared.assign(n, 0);
        std::vector<std::pair<int32_t, unsigned>> order;
        for (unsigned j = 0; j < n; ++j) {
            order.clear();
            for (unsigned q = 0; q < n; ++q) {
                if (q == j)
                    continue;
                int32_t d = 0;
                for (unsigned c = 0; c < 3; ++c)
                    d += (channelOf(q, c) - channelOf(j, c)) * (channelOf(q, c) - channelOf(j, c));
                order.emplace_back(d, q);
            }
            std::partial_sort(order.begin(), order.begin() + neighbourCount, order.end());
            for (unsigned k = 0; k < neighbourCount; ++k)
                neighbours[size_t(j) * neighbourCount + k] = uint8_t(order[k].second);
            if (neighbourCount > 0)
                nearestSquared[j] = order[0].first;
            int32_t &root = spacing[j];
            root = int32_t(std::sqrt(double(nearestSquared[j])));
            while (root * root > nearestSquared[j])
                --root;
            while ((root + 1) * (root + 1) <= nearestSquared[j])
                ++root;
            errorLimit[j] = 16 * std::max(kDitherErrorLimit, root);
        }
    }

    /// Adds the error of row y (entry less source), blurred, to the rows
    /// within reach; the row at the far end of the reach starts from zero.
    void addRowError(int64_t y)
    {
        const uint8_t *row = indices + y * width;
        for (int64_t x = 0; x < width; ++x) {
            int32_t sum[3] = {0, 0, 0};
            for (int64_t dx = -kBlurRadius; dx <= kBlurRadius; ++dx) {
                const int64_t at = x + dx;
                if (at < 0 || at >= width)
                    continue;
                const int32_t weight = kBlurSide[dx < 0 ? -dx : dx];
                for (unsigned c = 0; c < 3; ++c)
                    sum[c] += weight * (channelOf(row[at], c) - sourceOf(y, at, c));
            }
            for (unsigned c = 0; c < 3; ++c)
                across[size_t(x * 3 + c)] = sum[c];
        }
        if (y + kBlurRadius < height)
            std::fill_n(blurredRow(y + kBlurRadius), size_t(width) * 3, 0);
        for (int64_t dy = -kBlurRadius; dy <= kBlurRadius; ++dy) {
            if (y + dy < 0 || y + dy >= height)
                continue;
            const int32_t weight = kBlurSide[dy < 0 ? -dy : dy];
            int32_t *to = blurredRow(y + dy);
            for (size_t k = 0; k < size_t(width) * 3; ++k)
                to[k] += weight * across[k];
        }
    }

    /// One pass over row y, left to right: a pixel whose entry is farther
    /// off its source than the entry nearest to the source allows takes
    /// that one; then each pixel takes the neighbour of its entry that
    /// lowers the blurred error most, if any does, among those within
    /// kDitherReach of its source colour.
    void refineRow(int64_t y)
    {
        uint8_t *row = indices + y * width;
        const int32_t *here = blurredRow(y);
        for (int64_t x = 0; x < width; ++x) {
            unsigned j = row[x];
            if (!withinReach(j, y, x)) {
                // A speck, unless the palette has nothing nearer around the
                // source: the entry nearest to the source takes its place.
                const unsigned n = lookup->find(unsigned(sourceOf(y, x, 0)), unsigned(sourceOf(y, x, 1)),
                                                unsigned(sourceOf(y, x, 2)));
                const int32_t allowed = std::max(kDitherReach, spacing[n]);
                bool speck = false;
                for (unsigned c = 0; c < 3; ++c) {
                    const int32_t off = channelOf(j, c) - sourceOf(y, x, c);
                    speck = speck || off > allowed || -off > allowed;
                }
                if (speck) {
                    change(y, x, j, n);
                    j = n;
                }
            }
            const int64_t b[3] = {here[x * 3], here[x * 3 + 1], here[x * 3 + 2]};
            // Changing the entry by D changes the squared blurred error by
            // 2 D.b + |D|^2 centre; no neighbour can lower it while
            // 2 |b| <= |D| centre for the nearest one.
            if (4 * (b[0] * b[0] + b[1] * b[1] + b[2] * b[2]) <= nearestSquared[j] * kBlurCentre * kBlurCentre)
                continue;
            int64_t best = 0;
            unsigned chosen = j;
            for (unsigned k = 0; k < neighbourCount; ++k) {
                const unsigned q = neighbours[size_t(j) * neighbourCount + k];
                int64_t gain = 0;
                for (unsigned c = 0; c < 3; ++c) {
                    const int64_t d = channelOf(q, c) - channelOf(j, c);
                    gain += 2 * d * b[c] + d * d * kBlurCentre;
                }
                if (gain < best && withinReach(q, y, x)) {
                    best = gain;
                    chosen = q;
                }
            }
            if (chosen != j)
                change(y, x, j, chosen);
        }
    }

    bool withinReach(unsigned j, int64_t y, int64_t x) const
    {
        bool near = true;
        for (unsigned c = 0; c < 3; ++c) {
            const int32_t off = channelOf(j, c) - sourceOf(y, x, c);
            near = near && off <= kDitherReach && off >= -kDitherReach;
        }
        return near;
    }

    /// Pixel (x, y) takes entry `to` in place of `from`.
    void change(int64_t y, int64_t x, unsigned from, unsigned to)
    {
        indices[y * width + x] = uint8_t(to);
        const int32_t d[3] = {channelOf(to, 0) - channelOf(from, 0), channelOf(to, 1) - channelOf(from, 1),
                              channelOf(to, 2) - channelOf(from, 2)};
        for (int64_t dy = -kBlurRadius; dy <= kBlurRadius; ++dy) {
            if (y + dy < 0 || y + dy >= height)
                continue;
            int32_t *row = blurredRow(y + dy);
            const int32_t side = kBlurSide[dy < 0 ? -dy : dy];
            for (int64_t at = std::max<int64_t>(0, x - kBlurRadius); at <= std::min(width - 1, x + kBlurRadius);
                 ++at) {
                const int32_t weight = side * kBlurSide[at < x ? x - at : at - x];
                for (unsigned c = 0; c < 3; ++c)
                    row[at * 3 + c] += weight * d[c];
            }
        }
    }

    const loadedImage_t *image;
    const palette_t *palette;
    paletteLookup_t *lookup;
    uint8_t *indices;
    const int64_t width, height;
    const int64_t ringRows;
    /// Rows of the blurred error, three channels a pixel, row y at y % ringRows.
    std::vector<int32_t> blurred;
    /// A row's error blurred across, before it is spread down.
    std::vector<int32_t> across;
    unsigned neighbourCount = 0;
    std::vector<uint8_t> neighbours;
    std::vector<int32_t> nearestSquared;
    /// Per entry, the distance to its nearest other entry, rounded down,
    /// and the error limit after it.
    int32_t spacing[256] = {};
    int32_t errorLimit[256] = {};
};

} // namespace

void ditherInto(const loadedImage_t *image, const palette_t *palette, paletteLookup_t *lookup, uint8_t *indices,
                const rowsMapped_t &rowsMapped)
{
    traceStep_t titled(1, "Quantizing image\n");

    const uint64_t width = image->width, height = image->height;
    TRACE(1, "Dithering colors... %d pixels\n", unsigned(width * height));

    if (lookup == nullptr) {
        for (uint64_t y = 0; y < height; ++y) {
            std::fill(indices + y * width, indices + (y + 1) * width, 255);
            rowsMapped(uint32_t(y + 1));
        }
        return;
    }
    ditherBlurRefiner_t refiner(image, palette, lookup, indices);
    // The error owed to this row and the next, three channels a pixel, with
    // one spare pixel at either end to take what falls off the sides.
    const size_t rowLength = (size_t(width) + 2) * 3;
    std::vector<int32_t> thisRow(rowLength, 0), nextRow(thisRow.size(), 0);
    // A pixel is never asked for more than kDitherErrorLimit levels off its
    // own colour: error that piles up where the palette cannot follow (at
    // the edge of its colours) would otherwise land a far entry, a speck, on
    // a smooth area long after. Where the palette is sparse (the entry the
    // pixel before took is far from any other) the limit is that distance,
    // so that the error still reaches the entries around the colour.
    int32_t limit = 16 * kDitherErrorLimit;
    int64_t done = 0;
    for (uint64_t y = 0; y < height; ++y) {
        const bool forward = y % 2 == 0;
        const int64_t step = forward ? 1 : -1;
        for (uint64_t i = 0; i < width; ++i) {
            const uint64_t x = forward ? i : width - 1 - i;
            const uint8_t *pixel = image->pixels.data() + (y * width + x) * 4;
            int32_t *owed = thisRow.data() + (x + 1) * 3;
            int32_t wanted[3];
            for (unsigned c = 0; c < 3; ++c)
                wanted[c] = std::clamp(16 * int32_t(pixel[2 - c]) + std::clamp(owed[c], -limit, limit), 0, 4080);
            const unsigned j = lookup->find(unsigned(wanted[0] + 8) / 16, unsigned(wanted[1] + 8) / 16,
                                            unsigned(wanted[2] + 8) / 16);
            indices[y * width + x] = uint8_t(j);
            limit = refiner.ErrorLimit(j);
            const int32_t entry[3] = {palette->red[j], palette->green[j], palette->blue[j]};
            int32_t *ahead = owed + step * 3;
            int32_t *below = nextRow.data() + (x + 1) * 3;
            for (unsigned c = 0; c < 3; ++c) {
                const int32_t e = wanted[c] - 16 * entry[c];
                const int32_t e7 = e * 7 / 16, e3 = e * 3 / 16, e5 = e * 5 / 16;
                ahead[c] += e7;
                below[c - step * 3] += e3;
                below[c] += e5;
                below[c + step * 3] += e - e7 - e3 - e5;
            }
        }
        thisRow.swap(nextRow);
        std::fill(nextRow.begin(), nextRow.end(), 0);
        const int64_t now = refiner.RowDithered(int64_t(y));
        if (now > done)
            rowsMapped(uint32_t(done = now));
    }
    for (int64_t y = int64_t(height); y <= refiner.LastRow(); ++y) {
        const int64_t now = refiner.RowDithered(y);
        if (now > done)
            rowsMapped(uint32_t(done = now));
    }
}
