#include "imaging/pixelRuns.h"

#include <algorithm>

namespace {

/// The canvas's colour where no image lies.
const uint8_t kBlack[4] = {0, 0, 0, 0};

/// Part of a canvas row: columns [begin, end) show image `image` (its
/// column `begin - left` first), or black for none.
struct span_t {
    uint32_t begin, end;
    const loadedImage_t *image;
    uint32_t left;
};

} // namespace

void pixelRuns_t::add(const uint8_t *pixels, uint32_t count, uint32_t step)
{
    if (count == 0)
        return;
    runs.push_back({pixels, count, step});
    pixelTotal += count;
}

size_t pixelRuns_t::halfwayRun() const
{
    size_t run = 0;
    uint64_t before = 0;
    while (run < runs.size() && before + runs[run].count <= pixelTotal / 2)
        before += runs[run++].count;
    return run;
}

pixelRuns_t canvasRuns(const loadedImage_t *const *images, unsigned count, unsigned W, unsigned H)
{
    pixelRuns_t runs;
    std::vector<span_t> row, next;
    for (unsigned y = 0; y < H; ++y) {
        row.assign(1, span_t{0, W, nullptr, 0});
        for (unsigned i = 0; i < count; ++i) {
            const loadedImage_t *image = images[i];
            // A stray negative position is a huge one, off the canvas.
            const uint64_t x = uint32_t(image->x()), top = uint32_t(image->y());
            if (x >= W || y < top || y - top >= image->height() || image->width() == 0)
                continue;
            const uint32_t begin = uint32_t(x), end = uint32_t(std::min<uint64_t>(W, x + image->width()));
            next.clear();
            bool placed = false;
            for (const span_t &span : row) {
                if (span.begin < begin) // what shows left of the image
                    next.push_back({span.begin, std::min(span.end, begin), span.image, span.left});
                if (!placed && span.end > begin) {
                    next.push_back({begin, end, image, begin});
                    placed = true;
                }
                if (span.end > end) // what shows right of it
                    next.push_back({std::max(span.begin, end), span.end, span.image, span.left});
            }
            row.swap(next);
        }
        for (const span_t &span : row) {
            if (span.image == nullptr) {
                runs.add(kBlack, span.end - span.begin, 0);
                continue;
            }
            const uint64_t imageRow = y - uint32_t(span.image->y());
            runs.add(span.image->pixels().data() + (imageRow * span.image->width() + (span.begin - span.left)) * 4,
                     span.end - span.begin);
        }
    }
    return runs;
}
