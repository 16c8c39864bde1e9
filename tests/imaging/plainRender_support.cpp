#include "imaging/plainRender_support.h"
#include "fixtures/plainPalette.h"

#include "diagnostics/traceStep.h"
#include "imaging/fullPalette.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

unsigned nearestEntry(const palette_t &palette, unsigned r, unsigned g, unsigned b)
{
    double best = 16777216.0;
    unsigned index = 255;
    for (unsigned j = 0; j < palette.numColors; ++j) {
        const double d = distance(r, g, b, palette.red[j], palette.green[j], palette.blue[j]);
        if (d < best) {
            best = d;
            index = j;
        }
    }
    return index;
}

int channel(const palette_t &palette, unsigned j, unsigned c)
{
    return c == 0 ? palette.red[j] : c == 1 ? palette.green[j] : palette.blue[j];
}

/// The passes after the diffusion, each blurred error summed afresh where
/// it is needed.
void plainRefine(const loadedImage_t *image, const palette_t &palette, const std::vector<int32_t> &spacing,
                 std::vector<uint8_t> *indices)
{
    const int64_t w = image->width, h = image->height, R = kDitherBlurRadius;
    const int64_t *side = nullptr;
    int64_t sides[kDitherBlurRadius + 1];
    std::copy(kDitherBlurSide, kDitherBlurSide + R + 1, sides);
    side = sides;
    auto source = [&](int64_t x, int64_t y, unsigned c) { return int64_t(image->pixels[size_t(y * w + x) * 4 + 2 - c]); };
    auto blurredError = [&](int64_t x, int64_t y, unsigned c) {
        int64_t sum = 0;
        for (int64_t v = std::max<int64_t>(0, y - R); v <= std::min(h - 1, y + R); ++v)
            for (int64_t u = std::max<int64_t>(0, x - R); u <= std::min(w - 1, x + R); ++u)
                sum += side[std::abs(u - x)] * side[std::abs(v - y)] *
                       (channel(palette, (*indices)[size_t(v * w + u)], c) - source(u, v, c));
        return sum;
    };
    for (int64_t y = 0; y < h + kDitherRefinements * R; ++y)
        for (int64_t pass = 1; pass <= kDitherRefinements; ++pass) {
            const int64_t row = y - pass * R;
            if (row < 0 || row >= h)
                continue;
            for (int64_t x = 0; x < w; ++x) {
                uint8_t &slot = (*indices)[size_t(row * w + x)];
                unsigned j = slot;
                const unsigned n = nearestEntry(palette, unsigned(source(x, row, 0)), unsigned(source(x, row, 1)),
                                                unsigned(source(x, row, 2)));
                bool speck = false;
                for (unsigned c = 0; c < 3; ++c) {
                    const int32_t off = std::abs(channel(palette, j, c) - int32_t(source(x, row, c)));
                    speck = speck || (off > kDitherReach && off > spacing[n]);
                }
                if (speck)
                    slot = uint8_t(j = n);
                // The entries nearest to j, nearest first, ties to the lower.
                std::vector<std::pair<int64_t, unsigned>> near;
                for (unsigned q = 0; q < palette.numColors; ++q) {
                    int64_t d = 0;
                    for (unsigned c = 0; c < 3; ++c)
                        d += (channel(palette, q, c) - channel(palette, j, c)) *
                             (channel(palette, q, c) - channel(palette, j, c));
                    if (q != j)
                        near.emplace_back(d, q);
                }
                std::sort(near.begin(), near.end());
                near.resize(std::min<size_t>(near.size(), kDitherNeighbours));
                int64_t best = 0;
                unsigned chosen = j;
                for (const auto &[distance, q] : near) {
                    int64_t change = 0;
                    bool reached = true;
                    for (unsigned c = 0; c < 3; ++c) {
                        const int64_t d = channel(palette, q, c) - channel(palette, j, c);
                        change += 2 * d * blurredError(x, row, c) + d * d * side[0] * side[0];
                        reached = reached && std::abs(channel(palette, q, c) - source(x, row, c)) <= kDitherReach;
                    }
                    if (reached && change < best) {
                        best = change;
                        chosen = q;
                    }
                }
                slot = uint8_t(chosen);
            }
        }
}

} // namespace

quantizedImage_t plainDitherImage(const loadedImage_t *image, const palette_t *palette)
{
    traceStep_t titled(1, "Quantizing image\n");
    const int64_t w = image->width, h = image->height;
    std::vector<uint8_t> indices(w * h);
    TRACE(1, "Dithering colors... %d pixels\n", unsigned(w * h));
    std::vector<int32_t> owed(size_t(w * h) * 3, 0);
    // Per entry, in whole levels, the error limit after it.
    std::vector<int32_t> limitAfter(palette->numColors, kDitherErrorLimit), spacing(palette->numColors, 0);
    for (unsigned j = 0; j < palette->numColors; ++j) {
        int32_t nearest = INT32_MAX;
        for (unsigned q = 0; q < palette->numColors; ++q) {
            int32_t d = 0;
            for (unsigned c = 0; c < 3; ++c)
                d += (channel(*palette, q, c) - channel(*palette, j, c)) * (channel(*palette, q, c) - channel(*palette, j, c));
            if (q != j)
                nearest = std::min(nearest, d);
        }
        while (nearest != INT32_MAX && (spacing[j] + 1) * (spacing[j] + 1) <= nearest)
            ++spacing[j];
        limitAfter[j] = std::max(kDitherErrorLimit, spacing[j]);
    }
    int32_t limit = 16 * kDitherErrorLimit;
    auto give = [&](int64_t x, int64_t y, unsigned c, int32_t amount) {
        if (x >= 0 && x < w && y < h)
            owed[size_t(y * w + x) * 3 + c] += amount;
    };
    for (int64_t y = 0; y < h; ++y) {
        const int64_t d = y % 2 == 0 ? 1 : -1;
        for (int64_t i = 0; i < w; ++i) {
            const int64_t x = d == 1 ? i : w - 1 - i;
            const uint8_t *pixel = image->pixels.data() + (y * w + x) * 4;
            int32_t wanted[3];
            for (unsigned c = 0; c < 3; ++c) {
                wanted[c] = 16 * pixel[2 - c] + std::min(limit, std::max(-limit, owed[size_t(y * w + x) * 3 + c]));
                wanted[c] = std::min(4080, std::max(0, wanted[c]));
            }
            const unsigned j = nearestEntry(*palette, (wanted[0] + 8) / 16, (wanted[1] + 8) / 16,
                                            (wanted[2] + 8) / 16);
            indices[y * w + x] = uint8_t(j);
            if (j == 255 && palette->numColors == 0)
                continue;
            limit = 16 * limitAfter[j];
            const int32_t entry[3] = {palette->red[j], palette->green[j], palette->blue[j]};
            for (unsigned c = 0; c < 3; ++c) {
                const int32_t e = wanted[c] - 16 * entry[c];
                give(x + d, y, c, e * 7 / 16);
                give(x - d, y + 1, c, e * 3 / 16);
                give(x, y + 1, c, e * 5 / 16);
                give(x + d, y + 1, c, e - e * 7 / 16 - e * 3 / 16 - e * 5 / 16);
            }
        }
    }
    if (palette->numColors > 0)
        plainRefine(image, *palette, spacing, &indices);
    return quantizedLike(image, palette, std::move(indices));
}

std::vector<imagePtr> plainComposeImages(const std::vector<const loadedImage_t *> &images)
{
    std::vector<imagePtr> result;
    for (const loadedImage_t *image : images) {
        imagePtr out(new loadedImage_t(*image));
        if (image->hasAlpha) {
            for (uint64_t row = 0; row < image->height; ++row) {
                for (uint64_t column = 0; column < image->width; ++column) {
                    const uint64_t X = uint32_t(image->x) + column, Y = uint32_t(image->y) + row;
                    uint8_t beneath[3] = {0, 0, 0};
                    // The topmost earlier image at this point, as composed.
                    for (size_t j = result.size(); j-- > 0;) {
                        const loadedImage_t *below = result[j].get();
                        const uint64_t bx = uint32_t(below->x), by = uint32_t(below->y);
                        if (X >= bx && X < bx + below->width && Y >= by && Y < by + below->height) {
                            memcpy(beneath, below->pixels.data() + ((Y - by) * below->width + (X - bx)) * 4, 3);
                            break;
                        }
                    }
                    uint8_t *pixel = out->pixels.data() + (row * image->width + column) * 4;
                    const unsigned a = pixel[3];
                    for (unsigned c = 0; c < 3; ++c)
                        pixel[c] = uint8_t((a * pixel[c] + (255 - a) * beneath[c] + 127) / 255);
                    pixel[3] = 255;
                }
            }
            out->hasAlpha = false;
        }
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

bool isFixed(const palette_t *fixed, const uint8_t *pixel)
{
    for (unsigned j = 0; fixed != nullptr && j < fixed->numColors; ++j)
        if (fixed->red[j] == pixel[2] && fixed->green[j] == pixel[1] && fixed->blue[j] == pixel[0])
            return true;
    return false;
}

plainBox_t measure(const loadedImage_t *image, const palette_t *fixed, unsigned r, unsigned g, unsigned b,
                   unsigned edge)
{
    plainBox_t box{r, g, b, edge, 0, 0, 0, 0, 0, 0};
    const uint64_t n = uint64_t(image->width) * image->height;
    for (uint64_t p = 0; p < n; ++p) {
        const uint8_t *pixel = image->pixels.data() + p * 4;
        const unsigned pr = pixel[2], pg = pixel[1], pb = pixel[0];
        if (!isFixed(fixed, pixel) && pr >= r && pr < r + edge && pg >= g && pg < g + edge && pb >= b && pb < b + edge) {
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
    const unsigned numPixels = unsigned(measure(image, fixed, 0, 0, 0, 256).n);
    if (numPixels == 0)
        return palette_t{};
    std::vector<plainBox_t> boxes = {measure(image, fixed, 0, 0, 0, 256)};
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
            plainBox_t octant = measure(image, fixed, box.r + (k & 1 ? half : 0), box.g + (k & 2 ? half : 0),
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
        palette.red[s] = uint8_t(box.rSum / box.n);
        palette.green[s] = uint8_t(box.gSum / box.n);
        palette.blue[s] = uint8_t(box.bSum / box.n);
    }
    const unsigned numFixed = fixed != nullptr ? fixed->numColors : 0;
    for (unsigned j = 0; j < numFixed; ++j) {
        palette.red[k + j] = fixed->red[j];
        palette.green[k + j] = fixed->green[j];
        palette.blue[k + j] = fixed->blue[j];
    }
    palette.numColors = k + numFixed;

    for (unsigned pass = 0; pass < kFullPaletteRefinements; ++pass) {
        std::vector<uint64_t> n(k + numFixed, 0), rSum(k + numFixed, 0), gSum(k + numFixed, 0),
            bSum(k + numFixed, 0);
        for (uint64_t p = 0; p < uint64_t(image->width) * image->height; ++p) {
            const uint8_t *pixel = image->pixels.data() + p * 4;
            if (isFixed(fixed, pixel))
                continue;
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
            moved = moved || r != palette.red[j] || g != palette.green[j] || b != palette.blue[j];
            palette.red[j] = r;
            palette.green[j] = g;
            palette.blue[j] = b;
        }
        if (!moved)
            break;
    }
    // Repeats of a fixed or an earlier colour are dropped.
    palette_t distinct{};
    for (unsigned j = 0; j < k; ++j) {
        bool repeat = false;
        for (unsigned i = 0; i < k + numFixed; ++i)
            repeat = repeat || ((i < j || i >= k) && palette.red[i] == palette.red[j] &&
                                palette.green[i] == palette.green[j] && palette.blue[i] == palette.blue[j]);
        if (repeat)
            continue;
        distinct.red[distinct.numColors] = palette.red[j];
        distinct.green[distinct.numColors] = palette.green[j];
        distinct.blue[distinct.numColors] = palette.blue[j];
        ++distinct.numColors;
    }
    return distinct;
}
