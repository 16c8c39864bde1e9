#include "imageFixtures_support.h"

imagePtr imageOfCoordinates(unsigned w, unsigned h)
{
    imagePtr image = blankImage(w, h);
    uint8_t *p = image->writablePixels();
    for (unsigned r = 0; r < h; ++r)
        for (unsigned c = 0; c < w; ++c, p += 4) {
            p[0] = uint8_t(c);
            p[1] = uint8_t(c >> 8);
            p[2] = uint8_t(r);
            p[3] = uint8_t(r >> 8);
        }
    return image;
}

std::pair<unsigned, unsigned> imageCoordinatesAt(const loadedImage_t *image, unsigned column,
                                                 unsigned row)
{
    const uint8_t *p = image->pixels().data() + (size_t(row) * image->width() + column) * 4;
    return {p[0] | p[1] << 8, p[2] | p[3] << 8};
}
