#include "imaging/mixImages.h"

#include <cstring>

loadedImage_t mixImages(const loadedImage_t *const *images, unsigned count, unsigned W, unsigned H)
{
    loadedImage_t mix;
    mix.width = W;
    mix.height = H;
    mix.pixels.assign(uint64_t(W) * H * 4, 0);
    uint8_t *canvas = mix.pixels.data();
    for (unsigned i = 0; i < count; ++i) {
        const loadedImage_t *image = images[i];
        // Positions are never negative once placed; a stray negative one is
        // read as a huge column and lands past the edge.
        const uint64_t x = uint32_t(image->x), y = uint32_t(image->y);
        if (x >= W || y >= H || image->width == 0 || image->height == 0)
            continue;
        const uint64_t copyWidth = x + image->width > W ? W - x : image->width;
        const uint64_t copyHeight = y + image->height > H ? H - y : image->height;
        for (uint64_t r = 0; r < copyHeight; ++r)
            memcpy(canvas + ((y + r) * W + x) * 4, image->pixels.data() + r * image->width * 4,
                   copyWidth * 4);
    }
    return mix;
}
