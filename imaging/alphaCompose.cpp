#include "imaging/alphaCompose.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "base/mappedAtOnce.h"

namespace {

/// Copies what `below` shows inside the image's rectangle into `canvas`,
/// which holds the image's width x height pixels.
void paintOverlap(const loadedImage_t *image, const loadedImage_t *below, uint8_t *canvas)
{
    // Positions are never negative once placed; a stray negative one reads
    // as a huge coordinate, as it does on the palette's canvas.
    const uint64_t x0 = uint32_t(image->x()), y0 = uint32_t(image->y());
    const uint64_t x1 = uint32_t(below->x()), y1 = uint32_t(below->y());
    const uint64_t left = std::max(x0, x1), top = std::max(y0, y1);
    const uint64_t right = std::min(x0 + image->width(), x1 + below->width());
    const uint64_t bottom = std::min(y0 + image->height(), y1 + below->height());
    if (left >= right || top >= bottom)
        return;
    for (uint64_t y = top; y < bottom; ++y)
        memcpy(canvas + ((y - y0) * image->width() + (left - x0)) * 4,
               below->pixels().data() + ((y - y1) * below->width() + (left - x1)) * 4, (right - left) * 4);
}

} // namespace

loadedImage_t composeOver(const loadedImage_t *image, const loadedImage_t *const *beneath, unsigned count)
{
    const uint64_t n = uint64_t(image->width()) * image->height();
    std::vector<uint8_t> canvas;
    resizeMappedAtOnce(canvas, n * 4);
    loadedImage_t result(image->width(), image->height(), std::move(canvas));
    result.placeAt(image->x(), image->y());
    uint8_t *const composed = result.writablePixels();
    // Later images cover earlier ones, so painting them in order leaves the
    // topmost one at every point.
    for (unsigned j = 0; j < count; ++j)
        paintOverlap(image, beneath[j], composed);
    const uint8_t *const source = image->pixels().data();
    for (uint64_t p = 0; p < n; ++p) {
        const uint8_t *src = source + p * 4;
        uint8_t *dst = composed + p * 4;
        const unsigned a = src[3];
        for (unsigned c = 0; c < 3; ++c)
            dst[c] = uint8_t((a * src[c] + (255 - a) * dst[c] + 127) / 255);
        dst[3] = 255;
    }
    return result;
}

bool hasTransparentPixels(const loadedImage_t &image)
{
    if (!image.hasAlpha())
        return false;
    const std::vector<uint8_t> &pixels = image.pixels();
    for (size_t alpha = 3; alpha < pixels.size(); alpha += 4)
        if (pixels[alpha] < 255)
            return true;
    return false;
}

void composeImages(const loadedImage_t **images, unsigned count, std::deque<loadedImage_t> *composed)
{
    for (unsigned i = 0; i < count; ++i) {
        if (!images[i]->hasAlpha())
            continue;
        composed->push_back(composeOver(images[i], images, i));
        images[i] = &composed->back();
    }
}
