#include "imaging/plainRender_support.h"
#include "fixtures/plainPalette.h"

#include "diagnostics/traceStep.h"
#include "imaging/fullPalette.h"
#include "imaging/squared.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

unsigned nearestEntry(const palette_t &palette, unsigned r, unsigned g, unsigned b)
{
    double best = 16777216.0;
    unsigned index = 255;
    for (unsigned j = 0; j < palette.size(); ++j) {
        const double d = distance(r, g, b, palette.red(j), palette.green(j), palette.blue(j));
        if (d < best) {
            best = d;
            index = j;
        }
    }
    return index;
}

int channel(const palette_t &p, unsigned j, unsigned c) { return c == 0 ? p.red(j) : c == 1 ? p.green(j) : p.blue(j); }

using othersByDistance_t = std::vector<std::pair<int64_t, unsigned>>;

/// For every entry j, the entries other than j, nearest to it first, the
/// lower index among equals, with their squared distances.
std::vector<othersByDistance_t> othersByDistance(const palette_t &p)
{
    std::vector<othersByDistance_t> all(p.size());
    for (unsigned j = 0; j < p.size(); ++j) {
        for (unsigned q = 0; q < p.size(); ++q)
            if (q != j)
                all[j].emplace_back(squared(p.red(q) - p.red(j)) + squared(p.green(q) - p.green(j)) +
                                        squared(p.blue(q) - p.blue(j)),
                                    q);
        std::sort(all[j].begin(), all[j].end());
    }
    return all;
}

/// The distance from an entry to its nearest other entry, rounded down.
int32_t spacingOf(const othersByDistance_t &others)
{
    return others.empty() ? 0 : int32_t(std::sqrt(double(others[0].first)));
}

/// The passes after the diffusion, each blurred error summed afresh where
/// it is needed.
void plainRefine(const loadedImage_t *image, const palette_t &p, std::vector<uint8_t> *indices)
{
    const int64_t w = image->width(), h = image->height(), R = kDitherBlurRadius;
    const std::vector<othersByDistance_t> others = othersByDistance(p);
    auto source = [&](int64_t x, int64_t y, unsigned c) { return int(image->pixels()[size_t(y * w + x) * 4 + 2 - c]); };
    auto weight = [](int64_t d) { return int64_t(kDitherBlurSide[std::abs(d)]); };
    auto blurredError = [&](int64_t x, int64_t y, unsigned c) {
        int64_t sum = 0;
        for (int64_t v = std::max<int64_t>(0, y - R); v <= std::min(h - 1, y + R); ++v)
            for (int64_t u = std::max<int64_t>(0, x - R); u <= std::min(w - 1, x + R); ++u)
                sum += weight(u - x) * weight(v - y) * (channel(p, (*indices)[size_t(v * w + u)], c) - source(u, v, c));
        return sum;
    };
    // Pass 1, 2, ... visits row y - R, y - 2R, ... once row y is diffused.
    for (int64_t y = 0; y < h + kDitherRefinements * R; ++y)
        for (int64_t row = y - R; row >= y - kDitherRefinements * R; row -= R)
            for (int64_t x = 0; row >= 0 && row < h && x < w; ++x) {
                uint8_t &slot = (*indices)[size_t(row * w + x)];
                auto off = [&](unsigned j, unsigned c) { return std::abs(channel(p, j, c) - source(x, row, c)); };
                const unsigned n = nearestEntry(p, source(x, row, 0), source(x, row, 1), source(x, row, 2));
                if (std::max({off(slot, 0), off(slot, 1), off(slot, 2)}) > std::max(kDitherReach, spacingOf(others[n])))
                    slot = uint8_t(n);
                const unsigned j = slot;
                const int64_t b[3] = {blurredError(x, row, 0), blurredError(x, row, 1), blurredError(x, row, 2)};
                othersByDistance_t near = others[j];
                near.resize(std::min<size_t>(near.size(), kDitherNeighbours));
                int64_t best = 0;
                for (const auto &[gap, q] : near) {
                    int64_t change = gap * weight(0) * weight(0);
                    for (unsigned c = 0; c < 3; ++c)
                        change += 2 * (channel(p, q, c) - channel(p, j, c)) * b[c];
                    if (change < best && std::max({off(q, 0), off(q, 1), off(q, 2)}) <= kDitherReach) {
                        best = change;
                        slot = uint8_t(q);
                    }
                }
            }
}

} // namespace

quantizedImage_t plainDitherImage(const loadedImage_t *image, const palette_t *palette)
{
    traceStep_t titled(1, "Quantizing image\n");
    const int64_t w = image->width(), h = image->height();
    std::vector<uint8_t> indices(w * h);
    const std::vector<othersByDistance_t> others = othersByDistance(*palette);
    TRACE(1, "Dithering colors... %d pixels\n", unsigned(w * h));
    std::vector<int32_t> owed(size_t(w * h) * 3, 0);
    int32_t limit = 16 * kDitherErrorLimit;
    auto give = [&](int64_t x, int64_t y, unsigned c, int32_t amount) {
        if (x >= 0 && x < w && y < h)
            owed[size_t(y * w + x) * 3 + c] += amount;
    };
    for (int64_t y = 0; y < h; ++y) {
        const int64_t d = y % 2 == 0 ? 1 : -1;
        for (int64_t i = 0; i < w; ++i) {
            const int64_t x = d == 1 ? i : w - 1 - i;
            const uint8_t *pixel = image->pixels().data() + (y * w + x) * 4;
            int32_t wanted[3];
            for (unsigned c = 0; c < 3; ++c) {
                wanted[c] = 16 * pixel[2 - c] + std::min(limit, std::max(-limit, owed[size_t(y * w + x) * 3 + c]));
                wanted[c] = std::min(4080, std::max(0, wanted[c]));
            }
            const unsigned j = nearestEntry(*palette, (wanted[0] + 8) / 16, (wanted[1] + 8) / 16,
                                            (wanted[2] + 8) / 16);
            indices[y * w + x] = uint8_t(j);
            if (j == 255 && palette->size() == 0)
                continue;
            limit = 16 * std::max(kDitherErrorLimit, spacingOf(others[j]));
            const int32_t entry[3] = {palette->red(j), palette->green(j), palette->blue(j)};
            for (unsigned c = 0; c < 3; ++c) {
                const int32_t e = wanted[c] - 16 * entry[c];
                give(x + d, y, c, e * 7 / 16);
                give(x - d, y + 1, c, e * 3 / 16);
                give(x, y + 1, c, e * 5 / 16);
                give(x + d, y + 1, c, e - e * 7 / 16 - e * 3 / 16 - e * 5 / 16);
            }
        }
    }
    if (palette->size() > 0)
        plainRefine(image, *palette, &indices);
    return quantizedLike(image, palette, std::move(indices));
}

std::vector<imagePtr> plainComposeImages(const std::vector<const loadedImage_t *> &images)
{
    std::vector<imagePtr> result;
    for (const loadedImage_t *image : images) {
        std::vector<uint8_t> pixels = image->pixels();
        if (image->hasAlpha()) {
            for (uint64_t row = 0; row < image->height(); ++row) {
                for (uint64_t column = 0; column < image->width(); ++column) {
                    const uint64_t X = uint32_t(image->x()) + column, Y = uint32_t(image->y()) + row;
                    uint8_t beneath[3] = {0, 0, 0};
                    // The topmost earlier image at this point, as composed.
                    for (size_t j = result.size(); j-- > 0;) {
                        const loadedImage_t *below = result[j].get();
                        const uint64_t bx = uint32_t(below->x()), by = uint32_t(below->y());
                        if (X >= bx && X < bx + below->width() && Y >= by && Y < by + below->height()) {
                            memcpy(beneath, below->pixels().data() + ((Y - by) * below->width() + (X - bx)) * 4, 3);
                            break;
                        }
                    }
                    uint8_t *pixel = pixels.data() + (row * image->width() + column) * 4;
                    const unsigned a = pixel[3];
                    for (unsigned c = 0; c < 3; ++c)
                        pixel[c] = uint8_t((a * pixel[c] + (255 - a) * beneath[c] + 127) / 255);
                    pixel[3] = 255;
                }
            }
        }
        // Composed or not, the image is opaque.
        imagePtr out(new loadedImage_t(image->width(), image->height(), std::move(pixels)));
        out->placeAt(image->x(), image->y());
        result.push_back(std::move(out));
    }
    return result;
}

namespace {

struct plainBox_t {
    unsigned r, g, b, edge;
    uint64_t n, rSum, gSum, bSum, squares;
    uint64_t error;
};

plainBox_t measure(const loadedImage_t *image, unsigned r, unsigned g, unsigned b, unsigned edge)
{
    plainBox_t box{r, g, b, edge, 0, 0, 0, 0, 0, 0};
    const uint64_t n = uint64_t(image->width()) * image->height();
    for (uint64_t p = 0; p < n; ++p) {
        const uint8_t *pixel = image->pixels().data() + p * 4;
        const unsigned pr = pixel[2], pg = pixel[1], pb = pixel[0];
        if (pr >= r && pr < r + edge && pg >= g && pg < g + edge && pb >= b && pb < b + edge) {
            ++box.n;
            box.rSum += pr;
            box.gSum += pg;
            box.bSum += pb;
            box.squares += pr * pr + pg * pg + pb * pb;
        }
    }
    if (box.n > 0)
        box.error = (box.n * box.squares -
                     (box.rSum * box.rSum + box.gSum * box.gSum + box.bSum * box.bSum)) / box.n;
    return box;
}

} // namespace

palette_t plainGetFullPalette(const loadedImage_t *image, unsigned maxColors, const palette_t *fixed)
{
    // Pixels of a fixed colour are left out: the others, as one row.
    const std::vector<uint32_t> fixedColors = fixed != nullptr ? entriesOf(*fixed) : std::vector<uint32_t>();
    std::vector<uint8_t> restPixels;
    for (uint64_t p = 0; p < uint64_t(image->width()) * image->height(); ++p)
        if (std::count(fixedColors.begin(), fixedColors.end(), pixelAt(image, p % image->width(), p / image->width())) == 0)
            restPixels.insert(restPixels.end(), &image->pixels()[p * 4], &image->pixels()[p * 4 + 4]);
    const unsigned restWidth = unsigned(restPixels.size() / 4);
    const loadedImage_t rest(restWidth, 1, std::move(restPixels));
    if (rest.width() == 0)
        return palette_t{};
    image = &rest;
    const unsigned numPixels = image->width() * image->height();
    std::vector<plainBox_t> boxes = {measure(image, 0, 0, 0, 256)};
    while (boxes.size() < maxColors) {
        size_t worst = 0;
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].error > boxes[worst].error)
                worst = i;
        if (boxes[worst].error == 0)
            break;
        const plainBox_t box = boxes[worst];
        boxes.erase(boxes.begin() + worst);
        const unsigned half = box.edge / 2;
        size_t at = worst;
        for (unsigned k = 0; k < 8; ++k) {
            plainBox_t octant = measure(image, box.r + (k & 1 ? half : 0), box.g + (k & 2 ? half : 0),
                                        box.b + (k & 4 ? half : 0), half);
            if (octant.n > 0)
                boxes.insert(boxes.begin() + at++, octant);
        }
    }

    std::vector<double> density;
    for (const plainBox_t &box : boxes)
        density.push_back(double(box.n) * maxColors / numPixels /
                          (double(box.edge) * double(box.edge) * double(box.edge)));
    const unsigned k = unsigned(std::min<size_t>(boxes.size(), maxColors));
    palette_t palette{};
    std::vector<plainBox_t> chosen;
    for (unsigned s = 0; s < k; ++s) {
        double best = 0.0;
        size_t bestIndex = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (density[i] > best) {
                best = density[i];
                bestIndex = i;
            }
        }
        density[bestIndex] = 0.0;
        const plainBox_t &box = boxes[bestIndex];
        chosen.push_back(box);
        palette.append(uint8_t(box.rSum / box.n), uint8_t(box.gSum / box.n), uint8_t(box.bSum / box.n));
    }
    std::vector<uint32_t> colors = entriesOf(palette);
    colors.insert(colors.end(), fixedColors.begin(), fixedColors.end());
    palette = paletteOf(colors);

    for (unsigned pass = 0; pass < kFullPaletteRefinements; ++pass) {
        std::vector<uint64_t> n(colors.size(), 0), rSum(n), gSum(n), bSum(n);
        for (unsigned p = 0; p < numPixels; ++p) {
            const uint8_t *pixel = image->pixels().data() + uint64_t(p) * 4;
            const unsigned j = nearestEntry(palette, pixel[2], pixel[1], pixel[0]);
            ++n[j];
            rSum[j] += pixel[2];
            gSum[j] += pixel[1];
            bSum[j] += pixel[0];
        }
        bool moved = false;
        for (unsigned j = 0; j < k; ++j) {
            if (n[j] == 0)
                continue;
            const plainBox_t &box = chosen[j];
            auto keep = [](uint64_t v, unsigned lo, unsigned edge) {
                return uint8_t(v < lo ? lo : v > lo + edge - 1 ? lo + edge - 1 : v);
            };
            const uint8_t r = keep((rSum[j] + n[j] / 2) / n[j], box.r, box.edge);
            const uint8_t g = keep((gSum[j] + n[j] / 2) / n[j], box.g, box.edge);
            const uint8_t b = keep((bSum[j] + n[j] / 2) / n[j], box.b, box.edge);
            moved = moved || r != palette.red(j) || g != palette.green(j) || b != palette.blue(j);
            palette.replace(j, r, g, b);
        }
        if (!moved)
            break;
    }
    // Repeats of a fixed or an earlier colour are dropped.
    std::vector<uint32_t> distinct;
    colors = entriesOf(palette);
    for (unsigned j = 0; j < k; ++j)
        if (std::count(colors.begin() + k, colors.end(), colors[j]) + std::count(distinct.begin(), distinct.end(), colors[j]) == 0)
            distinct.push_back(colors[j]);
    return paletteOf(distinct);
}
