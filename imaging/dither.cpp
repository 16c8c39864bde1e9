#include "imaging/dither.h"

#include "diagnostics/traceStep.h"

#include <algorithm>
#include <utility>
#include <vector>

void ditherInto(const loadedImage_t *image, const palette_t *palette, paletteLookup_t *lookup, uint8_t *indices,
                const rowsMapped_t &rowsMapped)
{
    traceStep_t titled(1, "Quantizing image\n");

    const uint64_t width = image->width, height = image->height;
    TRACE(1, "Dithering colors... %d pixels\n", unsigned(width * height));

    // The error owed to this row and the next, three channels a pixel, with
    // one spare pixel at either end to take what falls off the sides.
    const size_t rowLength = (size_t(width) + 2) * 3;
    std::vector<int32_t> thisRow(lookup != nullptr ? rowLength : 0, 0), nextRow(thisRow.size(), 0);
    for (uint64_t y = 0; y < height; ++y) {
        if (lookup == nullptr) {
            std::fill(indices + y * width, indices + (y + 1) * width, 255);
            rowsMapped(uint32_t(y + 1));
            continue;
        }
        const bool forward = y % 2 == 0;
        const int64_t step = forward ? 1 : -1;
        for (uint64_t i = 0; i < width; ++i) {
            const uint64_t x = forward ? i : width - 1 - i;
            const uint8_t *pixel = image->pixels.data() + (y * width + x) * 4;
            int32_t *owed = thisRow.data() + (x + 1) * 3;
            int32_t wanted[3];
            for (unsigned c = 0; c < 3; ++c)
                wanted[c] = std::clamp(16 * int32_t(pixel[2 - c]) + owed[c], 0, 4080);
            const unsigned j = lookup->find(unsigned(wanted[0] + 8) / 16, unsigned(wanted[1] + 8) / 16,
                                            unsigned(wanted[2] + 8) / 16);
            indices[y * width + x] = uint8_t(j);
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
        rowsMapped(uint32_t(y + 1));
    }
}

