// Composition of the images on one canvas, and their mapping to a palette.
#include "imaging/imgtools.h"
#include "imaging/quantizeLookup.h"

#include "diagnostics/traceStep.h"

#include <cstring>
#include <memory>

loadedImage_t *mixImages(loadedImage_t **images, unsigned count, unsigned W, unsigned H)
{
    const uint64_t canvasBytes = uint64_t(W) * H * 4;
    uint8_t *canvas = new uint8_t[canvasBytes]();
    for (unsigned i = 0; i < count; ++i) {
        const loadedImage_t *image = images[i];
        // Positions are never negative once placed; a stray negative one is
        // read as a huge column and lands past the edge.
        const uint64_t x = uint32_t(image->x), y = uint32_t(image->y);
        if (x >= W || y >= H)
            continue;
        const uint64_t copyWidth = x + image->width > W ? W - x : image->width;
        const uint64_t copyHeight = y + image->height > H ? H - y : image->height;
        for (uint64_t r = 0; r < copyHeight; ++r)
            memcpy(canvas + ((y + r) * W + x) * 4, image->pixels + r * image->width * 4,
                   copyWidth * 4);
    }
    loadedImage_t *mix = new loadedImage_t();
    mix->width = W;
    mix->height = H;
    mix->x = 0;
    mix->y = 0;
    mix->pixels = canvas;
    return mix;
}

double distance(unsigned r1, unsigned g1, unsigned b1, unsigned r2, unsigned g2, unsigned b2)
{
    const double dr = double(r1) - double(r2);
    const double dg = double(g1) - double(g2);
    const double db = double(b1) - double(b2);
    return dr * dr + dg * dg + db * db;
}

quantizedImage_t *quantizeImage(loadedImage_t *image, palette_t *palette)
{
    traceStep_t outer;
    TRACE(1, "Quantizing image\n");
    traceStep_t inner;

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

    quantizedImage_t *result = new quantizedImage_t();
    memcpy(&result->palette, palette, sizeof(palette_t));
    result->width = image->width;
    result->height = image->height;
    result->x = image->x;
    result->y = image->y;
    result->pixels = indices;

    return result;
}
