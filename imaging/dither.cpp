#include "imaging/dither.h"

#include "diagnostics/traceStep.h"
#include "imaging/floatLanes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr int64_t kBlurCentre = int64_t(kDitherBlurSide[0]) * kDitherBlurSide[0];
/// Pixels of room at either end of a row of the blurred error, so that a
/// change near the sides is added as whole lanes; the lanes of a change
/// reach one value past its last pixel.
constexpr int64_t kBlurMargin = kDitherBlurRadius + 1;
/// Floats in front of a row's error, for the weights' reach beyond the
/// margin: whole lanes.
constexpr size_t kErrorPad = (kDitherBlurRadius * 3 + kLanes - 1) / kLanes * kLanes;
/// Values a change adds to in one row, as whole lanes.
constexpr size_t kChangeLanes = ((2 * kDitherBlurRadius + 1) * 3 + kLanes - 1) / kLanes;

/// The blurred error of a dithered image, and the passes of
/// kDitherRefinements that lower it (see ditherInto). Each row's error is
/// kept blurred across only, for the rows that a pass still reaches; a
/// pass sums the rows around the one it visits, down, as it starts it.
/// Only the row visited and the rows below it are read again, so a change
/// need only be added to that row's error across and to the row being
/// visited, not to every row it reaches. Its values are whole numbers below
/// 2^24 (255 times the weights' sum, 84^2), which floats hold exactly, so
/// they are added up in lanes with the very sums integers give.
class ditherBlurRefiner_t {
public:
    ditherBlurRefiner_t(const loadedImage_t *image, const ditherPalette_t &tables, paletteLookup_t *lookup,
                        uint8_t *indices)
        : image(image), tables(tables), colour(tables.colours()), lookup(lookup), indices(indices),
          width(int64_t(image->width())), height(int64_t(image->height())),
          ringRows((kDitherRefinements + 1) * kDitherBlurRadius + 1),
          stride((size_t(width + 2 * kBlurMargin) * 3 + kLanes - 1) / kLanes * kLanes),
          across(size_t(ringRows) * stride, 0.0f), noRow(stride, 0.0f), blurred(stride, 0.0f),
          error(stride + 2 * kErrorPad + kLanes, 0.0f), wholeError(size_t(width) * 3)
    {
        for (int d = 0; d <= kDitherBlurRadius; ++d)
            side[d] = splatLanes(float(kDitherBlurSide[d]));
        for (int dx = -kDitherBlurRadius; dx <= kDitherBlurRadius; ++dx)
            for (unsigned c = 0; c < 3; ++c)
                sideAcross[(dx + kDitherBlurRadius) * 3 + c] = float(kDitherBlurSide[dx < 0 ? -dx : dx]);
    }

    /// Row y has its first indices: its error, blurred across, joins the
    /// rows kept, and every pass visits the row it may visit now. Returns
    /// how many rows from the top are final.
    int64_t RowDithered(int64_t y)
    {
        if (y < height)
            addRowError(y);
        for (int64_t pass = 1; pass <= kDitherRefinements; ++pass) {
            const int64_t row = y - pass * kDitherBlurRadius;
            if (row >= 0 && row < height)
                refineRow(row);
        }
        return std::min(height, std::max<int64_t>(0, y - kDitherRefinements * kDitherBlurRadius + 1));
    }

    /// The last row the passes wait for: rows below the image are not there.
    int64_t LastRow() const { return height - 1 + kDitherRefinements * kDitherBlurRadius; }

private:
    /// Row y of the error blurred across, margins included; a row outside
    /// the image is zero.
    float *acrossRow(int64_t y)
    {
        return y >= 0 && y < height ? across.data() + size_t(y % ringRows) * stride : noRow.data();
    }

    const uint8_t *sourceOf(int64_t y, int64_t x) const { return image->pixels().data() + size_t(y * width + x) * 4; }

    /// Keeps the error of row y (entry less source), blurred across, in
    /// place of the row that no pass reaches any more.
    void addRowError(int64_t y)
    {
        const uint8_t *row = indices + y * width;
        // The row's error, laid out as a row of the blurred error, with room
        // for the weights' reach at either end.
        const float *first = error.data() + kErrorPad;
        float *e = error.data() + kErrorPad + kBlurMargin * 3;
        // Whole numbers first, turned into floats a lane at a time.
        int32_t *whole = wholeError.data();
        const uint8_t *pixel = sourceOf(y, 0);
        for (int64_t x = 0; x < width; ++x, pixel += 4) {
            const int32_t *entry = colour[row[x]];
            whole[x * 3] = entry[0] - pixel[2];
            whole[x * 3 + 1] = entry[1] - pixel[1];
            whole[x * 3 + 2] = entry[2] - pixel[0];
        }
        const size_t values = size_t(width) * 3, lanes = values / kLanes * kLanes;
        for (size_t at = 0; at < lanes; at += kLanes) {
            intLanes_t w;
            std::memcpy(&w, whole + at, sizeof w);
            storeLanes(e + at, __builtin_convertvector(w, floatLanes_t));
        }
        for (size_t at = lanes; at < values; ++at)
            e[at] = float(whole[at]);
        float *to = acrossRow(y);
        // The weights are the same either side: one product for each pair.
        for (size_t v = 0; v < stride / kLanes; ++v) {
            const float *from = first + v * kLanes;
            floatLanes_t sum = side[0] * loadLanes(from);
            // Unrolled, the weights stay in registers.
#pragma GCC unroll 8
            for (int d = 1; d <= kDitherBlurRadius; ++d)
                sum += side[d] * (loadLanes(from - d * 3) + loadLanes(from + d * 3));
            storeLanes(to + v * kLanes, sum);
        }
    }

    /// Row y of the blurred error, margins included: the rows around it,
    /// blurred across, summed down.
    void blurDown(int64_t y)
    {
        const float *rows[2 * kDitherBlurRadius + 1];
        for (int64_t dy = -kDitherBlurRadius; dy <= kDitherBlurRadius; ++dy)
            rows[dy + kDitherBlurRadius] = acrossRow(y + dy);
        for (size_t at = 0; at < stride; at += kLanes) {
            const float *const *centre = rows + kDitherBlurRadius;
            floatLanes_t sum = side[0] * loadLanes(centre[0] + at);
#pragma GCC unroll 8
            for (int d = 1; d <= kDitherBlurRadius; ++d)
                sum += side[d] * (loadLanes(centre[-d] + at) + loadLanes(centre[d] + at));
            storeLanes(blurred.data() + at, sum);
        }
    }

    /// One pass over row y, left to right: a pixel whose entry is farther
    /// off its source than the entry nearest to the source allows takes
    /// that one; then each pixel takes the neighbour of its entry that
    /// lowers the blurred error most, if any does, among those within
    /// kDitherReach of its source colour.
    void refineRow(int64_t y)
    {
        blurDown(y);
        uint8_t *row = indices + y * width;
        float *own = acrossRow(y);
        const float *here = blurred.data() + kBlurMargin * 3;
        for (int64_t x = 0; x < width; ++x) {
            unsigned j = row[x];
            const uint8_t *pixel = sourceOf(y, x);
            const int32_t source[3] = {pixel[2], pixel[1], pixel[0]};
            if (!withinReach(j, source)) {
                // A speck, unless the palette has nothing nearer around the
                // source: the entry nearest to the source takes its place.
                const unsigned n = lookup->find(unsigned(source[0]), unsigned(source[1]), unsigned(source[2]));
                const int32_t allowed = std::max(kDitherReach, tables.spacingOf(n));
                bool speck = false;
                for (unsigned c = 0; c < 3; ++c) {
                    const int32_t off = colour[j][c] - source[c];
                    speck = speck || off > allowed || -off > allowed;
                }
                if (speck) {
                    change(own, row, x, j, n);
                    j = n;
                }
            }
            // Whole numbers below 2^53 throughout: doubles give the sums
            // integers give.
            const double b[3] = {here[x * 3], here[x * 3 + 1], here[x * 3 + 2]};
            // Changing the entry by D changes the squared blurred error by
            // 2 D.b + |D|^2 centre; no neighbour can lower it while
            // 2 |b| <= |D| centre for the nearest one.
            if (4 * (b[0] * b[0] + b[1] * b[1] + b[2] * b[2]) <= tables.nearestLimitOf(j))
                continue;
            double best = 0;
            unsigned chosen = j;
            const uint8_t *near = tables.neighboursOf(j);
            const ditherPalette_t::step_t *step = tables.stepsOf(j);
            for (unsigned k = 0, count = tables.neighbourCount(); k < count; ++k) {
                const double gain =
                    step[k].twice[0] * b[0] + step[k].twice[1] * b[1] + step[k].twice[2] * b[2] + step[k].centre;
                if (gain < best && withinReach(near[k], source)) {
                    best = gain;
                    chosen = near[k];
                }
            }
            if (chosen != j)
                change(own, row, x, j, chosen);
        }
    }

    bool withinReach(unsigned j, const int32_t *source) const
    {
        bool near = true;
        for (unsigned c = 0; c < 3; ++c) {
            const int32_t off = colour[j][c] - source[c];
            near = near && off <= kDitherReach && off >= -kDitherReach;
        }
        return near;
    }

    /// Pixel x of the row being visited, whose error across is `own`, takes
    /// entry `to` in place of `from`: the weights across, times the change,
    /// join that row's error across, and times the centre weight the row's
    /// blurred error. The rows above are visited already; those below sum
    /// the change down when they are.
    void change(float *own, uint8_t *row, int64_t x, unsigned from, unsigned to)
    {
        row[x] = uint8_t(to);
        // The change per channel, as lanes that follow the channels' order
        // along a row: every third lane starts with red again.
        const float d[3] = {float(colour[to][0] - colour[from][0]), float(colour[to][1] - colour[from][1]),
                            float(colour[to][2] - colour[from][2])};
        const floatLanes_t changes[3] = {{d[0], d[1], d[2], d[0]}, {d[1], d[2], d[0], d[1]}, {d[2], d[0], d[1], d[2]}};
        // Values beside the image land in the margins, never read.
        const size_t at = size_t(x - kDitherBlurRadius + kBlurMargin) * 3;
        float *acrossAt = own + at, *blurredAt = blurred.data() + at;
        const floatLanes_t centre = splatLanes(float(kDitherBlurSide[0]));
        for (size_t v = 0; v < kChangeLanes; ++v) {
            const floatLanes_t pattern = loadLanes(sideAcross + v * kLanes) * changes[v % 3];
            storeLanes(acrossAt + v * kLanes, loadLanes(acrossAt + v * kLanes) + pattern);
            storeLanes(blurredAt + v * kLanes, loadLanes(blurredAt + v * kLanes) + centre * pattern);
        }
    }

    const loadedImage_t *image;
    const ditherPalette_t &tables;
    const int32_t (&colour)[256][3];
    paletteLookup_t *lookup;
    uint8_t *indices;
    const int64_t width, height;
    /// Rows of error across kept: those a pass may still sum down.
    const int64_t ringRows;
    /// Floats in a row, margins included, whole lanes.
    const size_t stride;
    /// Rows of the error blurred across, three channels a pixel, row y at
    /// y % ringRows; a zero row for those outside the image.
    std::vector<float> across, noRow;
    /// The blurred error of the row being visited.
    std::vector<float> blurred;
    /// A row's error, with margins, and as whole numbers.
    std::vector<float> error;
    std::vector<int32_t> wholeError;
    /// kDitherBlurSide as lanes.
    floatLanes_t side[kDitherBlurRadius + 1];
    /// The weights along a row that a change is spread with, one a channel,
    /// zero after them to the end of the last lane.
    float sideAcross[kChangeLanes * kLanes] = {};
};

/// Error diffusion along one row. Everything it reads is held in locals, so
/// that the stores of indices, which may alias anything, force no reloads,
/// and the error owed to the next pixel stays in registers: the chain from
/// one pixel to the next is the arithmetic and the lookup alone.
struct diffusion_t {
    const uint8_t *source;
    uint8_t *indices;
    const int32_t *owedHere;
    int32_t *owedBelow;
    const int32_t (*colour)[3];
    const int32_t *errorLimit;
    paletteLookup_t *lookup;

    /// Visits the row in direction `step` (1: left to right), starting with
    /// the error limit `limit`; returns the limit after its last pixel.
    template <int step>
    int32_t diffuse(uint64_t width, int32_t limit)
    {
        const int64_t first = step > 0 ? 0 : int64_t(width) - 1;
        int32_t carried[3] = {0, 0, 0};
        for (int64_t x = first, left = int64_t(width); left > 0; x += step, --left) {
            const uint8_t *pixel = source + x * 4;
            const int32_t *owed = owedHere + (x + 1) * 3;
            int32_t wanted[3];
            for (unsigned c = 0; c < 3; ++c)
                wanted[c] = std::clamp(16 * int32_t(pixel[2 - c]) + std::clamp(owed[c] + carried[c], -limit, limit),
                                       0, 4080);
            const unsigned j = lookup->find(unsigned(wanted[0] + 8) / 16, unsigned(wanted[1] + 8) / 16,
                                            unsigned(wanted[2] + 8) / 16);
            indices[x] = uint8_t(j);
            limit = errorLimit[j];
            int32_t *below = owedBelow + (x + 1) * 3;
            for (int c = 0; c < 3; ++c) {
                const int32_t e = wanted[c] - 16 * colour[j][c];
                const int32_t e7 = e * 7 / 16, e3 = e * 3 / 16, e5 = e * 5 / 16;
                carried[c] = e7;
                below[c - step * 3] += e3;
                below[c] += e5;
                below[c + step * 3] += e - e7 - e3 - e5;
            }
        }
        return limit;
    }
};

} // namespace

ditherPalette_t::ditherPalette_t(const palette_t &palette)
{
    const unsigned n = std::max(1u, palette.size());
    for (unsigned j = 0; j < n; ++j) {
        colour[j][0] = palette.red(j);
        colour[j][1] = palette.green(j);
        colour[j][2] = palette.blue(j);
    }
    neighboursEach = std::min(n - 1, kDitherNeighbours);
    neighbours.assign(size_t(n) * neighboursEach, 0);
    steps.assign(neighbours.size(), step_t{});
    std::vector<std::pair<int32_t, unsigned>> order;
    for (unsigned j = 0; j < n; ++j) {
        order.clear();
        for (unsigned q = 0; q < n; ++q) {
            if (q == j)
                continue;
            int32_t d = 0;
            for (unsigned c = 0; c < 3; ++c)
                d += (colour[q][c] - colour[j][c]) * (colour[q][c] - colour[j][c]);
            order.emplace_back(d, q);
        }
        std::partial_sort(order.begin(), order.begin() + neighboursEach, order.end());
        for (unsigned k = 0; k < neighboursEach; ++k) {
            const unsigned q = order[k].second;
            neighbours[size_t(j) * neighboursEach + k] = uint8_t(q);
            step_t &to = steps[size_t(j) * neighboursEach + k];
            for (unsigned c = 0; c < 3; ++c)
                to.twice[c] = 2.0 * (colour[q][c] - colour[j][c]);
            to.centre = double(order[k].first) * double(kBlurCentre);
        }
        const int32_t nearest = neighboursEach > 0 ? order[0].first : 0;
        nearestLimit[j] = double(nearest) * double(kBlurCentre) * double(kBlurCentre);
        int32_t &root = spacing[j];
        root = int32_t(std::sqrt(double(nearest)));
        while (root * root > nearest)
            --root;
        while ((root + 1) * (root + 1) <= nearest)
            ++root;
        errorLimit[j] = 16 * std::max(kDitherErrorLimit, root);
    }
}

void ditherInto(const loadedImage_t *image, const palette_t *palette, paletteLookup_t *lookup, uint8_t *indices,
                const rowsMapped_t &rowsMapped, const ditherPalette_t *prepared)
{
    traceStep_t titled(1, "Quantizing image\n");

    const uint64_t width = image->width(), height = image->height();
    TRACE(1, "Dithering colors... %d pixels\n", unsigned(width * height));

    if (lookup == nullptr) {
        for (uint64_t y = 0; y < height; ++y) {
            std::fill(indices + y * width, indices + (y + 1) * width, 255);
            rowsMapped(uint32_t(y + 1));
        }
        return;
    }
    // The tables of the palette, worked out here when the caller has none.
    std::unique_ptr<ditherPalette_t> own;
    if (prepared == nullptr)
        prepared = (own = std::make_unique<ditherPalette_t>(*palette)).get();
    ditherBlurRefiner_t refiner(image, *prepared, lookup, indices);
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
        diffusion_t row{image->pixels().data() + y * width * 4, indices + y * width, thisRow.data(), nextRow.data(),
                        prepared->colours(), prepared->errorLimits(), lookup};
        limit = y % 2 == 0 ? row.diffuse<1>(width, limit) : row.diffuse<-1>(width, limit);
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
