// The mapping of an image to its palette.
#include "imaging/quantize.h"
#include "imaging/quantizeLookup.h"

#include "diagnostics/traceStep.h"

#include <cstring>
#include <memory>

quantizedImage_t *quantizedLike(const loadedImage_t *image, const palette_t *palette, uint8_t *indices)
{
    quantizedImage_t *result = new quantizedImage_t();
    memcpy(&result->palette, palette, sizeof(palette_t));
    result->width = image->width;
    result->height = image->height;
    result->x = image->x;
    result->y = image->y;
    result->pixels = indices;
    return result;
}

quantizedImage_t *quantizeImage(loadedImage_t *image, palette_t *palette)
{
    traceStep_t titled(1, "Quantizing image\n");

    const uint64_t n = uint64_t(image->width) * image->height;
    uint8_t *indices = new uint8_t[n];
    TRACE(1, "Remapping colors... %d pixels\n", unsigned(n));

    // A palette never holds more than its 256 planes.
    const unsigned numColors = palette->numColors < 256 ? palette->numColors : 256;
    if (numColors == 0) {
        memset(indices, 255, n);
    } else {
        std::unique_ptr<paletteLookup_t> lookup(new paletteLookup_t(*palette, numColors));
        for (uint64_t p = 0; p < n; ++p) {
            const uint8_t *pixel = image->pixels + p * 4;
            indices[p] = uint8_t(lookup->find(pixel[2], pixel[1], pixel[0]));
        }
    }

    return quantizedLike(image, palette, indices);
}
