// Composition of the images on one canvas, and their mapping to a palette.
#include "imaging/imgtools.h"

#include "driver/traceMsg.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

/// Finds the palette entry nearest to a colour by exact squared distance,
/// the lowest index among equals, without scanning the whole palette: the
/// colour cube is cut into cells, and each cell lists, in index order, only
/// the entries that can be nearest to some colour inside it. An entry whose
/// closest approach to the cell is farther than some other entry's farthest
/// point is strictly worse for every colour there, so dropping it changes no
/// answer, ties included. Cells are filled when a pixel first lands in them.
class nearestColor_t {
public:
    explicit nearestColor_t(const palette_t &palette, unsigned count) : count(count)
    {
        for (unsigned j = 0; j < count; ++j) {
            red[j] = palette.red[j];
            green[j] = palette.green[j];
            blue[j] = palette.blue[j];
        }
        for (int32_t &start : first)
            start = -1;
    }

    unsigned find(int r, int g, int b)
    {
        const unsigned cell = unsigned(r >> cellBits) << (2 * axisBits) |
                              unsigned(g >> cellBits) << axisBits | unsigned(b >> cellBits);
        if (first[cell] < 0)
            fillCell(cell);
        const uint8_t *candidate = candidates.data() + first[cell];
        const uint8_t *end = candidate + size[cell];
        int best = 1 << 24;
        unsigned index = 255;
        for (; candidate != end; ++candidate) {
            const unsigned j = *candidate;
            const int dr = r - red[j], dg = g - green[j], db = b - blue[j];
            const int d = dr * dr + dg * dg + db * db;
            if (d < best) {
                best = d;
                index = j;
            }
        }
        return index;
    }

private:
    static constexpr unsigned cellBits = 4;
    static constexpr unsigned axisBits = 8 - cellBits;
    static constexpr int cellEdge = 1 << cellBits;

    /// Closest and farthest gap between a component and a cell's range.
    static int nearest(int value, int lo)
    {
        const int hi = lo + cellEdge - 1;
        return value < lo ? lo - value : value > hi ? value - hi : 0;
    }
    static int farthest(int value, int lo)
    {
        const int hi = lo + cellEdge - 1;
        return value - lo > hi - value ? value - lo : hi - value;
    }

    void fillCell(unsigned cell)
    {
        const int r0 = int(cell >> (2 * axisBits)) << cellBits;
        const int g0 = int((cell >> axisBits) & ((1u << axisBits) - 1)) << cellBits;
        const int b0 = int(cell & ((1u << axisBits) - 1)) << cellBits;
        int nearDistance[256];
        int bound = 1 << 24;
        for (unsigned j = 0; j < count; ++j) {
            const int nr = nearest(red[j], r0), ng = nearest(green[j], g0);
            const int nb = nearest(blue[j], b0);
            nearDistance[j] = nr * nr + ng * ng + nb * nb;
            const int fr = farthest(red[j], r0), fg = farthest(green[j], g0);
            const int fb = farthest(blue[j], b0);
            const int far = fr * fr + fg * fg + fb * fb;
            if (far < bound)
                bound = far;
        }
        first[cell] = int32_t(candidates.size());
        for (unsigned j = 0; j < count; ++j)
            if (nearDistance[j] <= bound)
                candidates.push_back(uint8_t(j));
        size[cell] = uint16_t(candidates.size() - first[cell]);
    }

    unsigned count;
    int red[256], green[256], blue[256];
    int32_t first[1u << (3 * axisBits)];
    uint16_t size[1u << (3 * axisBits)];
    std::vector<uint8_t> candidates;
};

} // namespace

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
    TRACE_ident();
    TRACE(1, "Quantizing image\n");
    TRACE_ident();

    const uint64_t n = uint64_t(image->width) * image->height;
    uint8_t *indices = new uint8_t[n];
    TRACE(1, "Remapping colors... %d pixels\n", unsigned(n));

    // A palette never holds more than its 256 planes.
    const unsigned numColors = palette->numColors < 256 ? palette->numColors : 256;
    if (numColors == 0) {
        memset(indices, 255, n);
    } else {
        std::unique_ptr<nearestColor_t> nearest(new nearestColor_t(*palette, numColors));
        // Neighbouring pixels often share their colour.
        uint32_t lastColor = 0xffffffff;
        unsigned lastIndex = 0;
        for (uint64_t p = 0; p < n; ++p) {
            const uint8_t *pixel = image->pixels + p * 4;
            const uint32_t color = uint32_t(pixel[2]) << 16 | uint32_t(pixel[1]) << 8 | pixel[0];
            if (color != lastColor) {
                lastColor = color;
                lastIndex = nearest->find(pixel[2], pixel[1], pixel[0]);
            }
            indices[p] = uint8_t(lastIndex);
        }
    }

    quantizedImage_t *result = new quantizedImage_t();
    memcpy(&result->palette, palette, sizeof(palette_t));
    result->width = image->width;
    result->height = image->height;
    result->x = image->x;
    result->y = image->y;
    result->pixels = indices;

    TRACE_dedent();
    TRACE_dedent();
    return result;
}
