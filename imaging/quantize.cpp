// The mapping of an image to its palette.
#include "imaging/quantize.h"
#include "imaging/quantizeLookup.h"

#include "diagnostics/traceStep.h"

#include <algorithm>
#include <memory>
#include <utility>

quantizedImage_t quantizedLike(const loadedImage_t *image, const palette_t *palette, std::vector<uint8_t> indices)
{
    quantizedImage_t result;
    result.palette = *palette;
    result.width = image->width();
    result.height = image->height();
    result.x = image->x();
    result.y = image->y();
    result.pixels = std::move(indices);
    return result;
}

std::unique_ptr<paletteLookup_t> lookupFor(const palette_t &palette, bool wandering)
{
    if (palette.size() == 0)
        return nullptr;
    return std::unique_ptr<paletteLookup_t>(new paletteLookup_t(palette, wandering));
}

void quantizeInto(const loadedImage_t *image, paletteLookup_t *lookup, uint8_t *indices,
                  const rowsMapped_t &rowsMapped)
{
    traceStep_t titled(1, "Quantizing image\n");

    const uint64_t width = image->width(), height = image->height();
    TRACE(1, "Remapping colors... %d pixels\n", unsigned(width * height));
    const uint8_t *pixel = image->pixels().data();
    for (uint64_t y = 0; y < height; ++y) {
        uint8_t *row = indices + y * width;
        if (lookup == nullptr)
            std::fill(row, row + width, 255);
        else
            for (uint64_t x = 0; x < width; ++x, pixel += 4)
                row[x] = uint8_t(lookup->find(pixel[2], pixel[1], pixel[0]));
        rowsMapped(uint32_t(y + 1));
    }
}

quantizedImage_t quantizeImage(const loadedImage_t *image, const palette_t *palette)
{
    std::vector<uint8_t> indices(uint64_t(image->width()) * image->height());
    quantizeInto(image, lookupFor(*palette).get(), indices.data(), [](uint32_t) {});
    return quantizedLike(image, palette, std::move(indices));
}
