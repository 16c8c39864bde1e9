#include "imaging/plainPalette_support.h"

#include "diagnostics/traceMsg.h"

#include <cassert>
#include <cstring>

namespace {

bool holds(const colorCube_t &cube, const uint8_t *pixel)
{
    return pixel[2] >= cube.rMin && pixel[2] <= cube.rMax && pixel[1] >= cube.gMin &&
           pixel[1] <= cube.gMax && pixel[0] >= cube.bMin && pixel[0] <= cube.bMax;
}

double volume(const colorCube_t &cube)
{
    return double(cube.rMax - cube.rMin + 1) * double(cube.gMax - cube.gMin + 1) *
           double(cube.bMax - cube.bMin + 1);
}

/// A box of a single colour has nothing left to split: letting it through
/// would repeat the same split forever (possible only for very large colour
/// counts; the tool asks for 224).
bool passesSplitTest(const colorCube_t &cube, double t, unsigned m)
{
    return volume(cube) > 1.0 && cube.share > 1.0 && cube.share / volume(cube) < 9.0 * t * m / 16777216.0;
}

// A single-value range has an empty upper half, spelled 255..254 at the top
// where the bound would wrap.
void halve(uint8_t lo, uint8_t hi, uint8_t half[2][2])
{
    unsigned mid = (unsigned(lo) + hi) / 2;
    half[0][0] = lo;
    half[0][1] = uint8_t(mid);
    half[1][0] = mid == 255 ? 255 : uint8_t(mid + 1);
    half[1][1] = mid == 255 ? 254 : hi;
}

void plainSplitCube(colorCube_t *destination, const colorCube_t *source)
{
    uint8_t r[2][2], g[2][2], b[2][2];
    halve(source->rMin, source->rMax, r);
    halve(source->gMin, source->gMax, g);
    halve(source->bMin, source->bMax, b);
    for (unsigned k = 0; k < 8; ++k) {
        colorCube_t &c = destination[k];
        c.rMin = r[k & 1][0];
        c.rMax = r[k & 1][1];
        c.gMin = g[(k >> 1) & 1][0];
        c.gMax = g[(k >> 1) & 1][1];
        c.bMin = b[(k >> 2) & 1][0];
        c.bMax = b[(k >> 2) & 1][1];
        c.rCanon = uint8_t((c.rMin + c.rMax) / 2);
        c.gCanon = uint8_t((c.gMin + c.gMax) / 2);
        c.bCanon = uint8_t((c.bMin + c.bMax) / 2);
    }
}

} // namespace

colorCube_t *plainGetCubes(const uint8_t *pixels, unsigned numPixels, unsigned *numCubes,
                           unsigned m)
{
    colorCube_t *list = new colorCube_t[1]();
    list[0].rMax = list[0].gMax = list[0].bMax = 255;
    list[0].rCanon = list[0].gCanon = list[0].bCanon = 127;
    *numCubes = 1;
    for (;;) {
        const unsigned n = *numCubes;
        TRACE(8, "Cube Split... %d %s\n", n, n > 1 ? "Cubes" : "Cube");
        for (unsigned i = 0; i < n; ++i)
            list[i].hits = 0;
        for (unsigned p = 0; p < numPixels; ++p) {
            for (unsigned i = 0; i < n; ++i) {
                if (holds(list[i], pixels + uint64_t(p) * 4)) {
                    ++list[i].hits;
                    break;
                }
            }
        }
        for (unsigned i = 0; i < n; ++i)
            list[i].share = double(list[i].hits) * m / numPixels;
        double t = double(m) / n;
        if (t < 1.0)
            t = 1.0;
        unsigned splits = 0, removes = 0;
        for (unsigned i = 0; i < n; ++i) {
            splits += passesSplitTest(list[i], t, m);
            removes += list[i].hits == 0;
        }
        if (splits == 0 && n - removes < 2 * m / 3) {
            TRACE_ident();
            TRACE(8, "split second try\n");
            t *= double(m) / double(n - removes);
            splits = removes = 0;
            for (unsigned i = 0; i < n; ++i) {
                splits += passesSplitTest(list[i], t, m);
                removes += list[i].hits == 0;
            }
            TRACE_dedent();
        }
        TRACE(8, "...%d splits, %d removes\n", splits, removes);
        const unsigned next = splits * 7 + n - removes;
        colorCube_t *nextList = new colorCube_t[next]();
        unsigned k = 0;
        for (unsigned i = 0; i < n; ++i) {
            if (list[i].hits == 0)
                continue;
            if (passesSplitTest(list[i], t, m)) {
                plainSplitCube(nextList + k, list + i);
                k += 8;
            } else {
                nextList[k++] = list[i];
            }
        }
        delete[] list;
        list = nextList;
        *numCubes = next;
        if (splits == 0)
            return list;
    }
}

palette_t *plainGetOptimalPalette(const loadedImage_t *image, unsigned maxColors)
{
    TRACE_ident();
    TRACE(1, "Selecting palette\n");
    TRACE_ident();
    palette_t *palette = new palette_t();
    const unsigned numPixels = image->width * image->height;
    unsigned numCubes = 0;
    colorCube_t *list = plainGetCubes(image->pixels, numPixels, &numCubes, maxColors);
    for (unsigned i = 0; i < numCubes; ++i)
        list[i].density = list[i].share / volume(list[i]);
    unsigned k = numCubes < maxColors ? numCubes : maxColors;
    assert(k <= 256);
    colorCube_t selection[256];
    for (unsigned s = 0; s < k; ++s) {
        double best = 0.0;
        unsigned bestIndex = 0;
        for (unsigned i = 0; i < numCubes; ++i) {
            if (list[i].density > best) {
                best = list[i].density;
                bestIndex = i;
            }
        }
        selection[s] = list[bestIndex];
        list[bestIndex].density = 0.0;
    }
    TRACE(1, "Selected %d colors\n", k);
    TRACE(1, "Selecting canon...\n");
    uint64_t rSum[256] = {}, gSum[256] = {}, bSum[256] = {};
    for (unsigned p = 0; p < numPixels; ++p) {
        const uint8_t *pixel = image->pixels + uint64_t(p) * 4;
        for (unsigned s = 0; s < k; ++s) {
            if (holds(selection[s], pixel)) {
                rSum[s] += pixel[2];
                gSum[s] += pixel[1];
                bSum[s] += pixel[0];
            }
        }
    }
    for (unsigned s = 0; s < k; ++s) {
        palette->red[s] = uint8_t(rSum[s] / selection[s].hits);
        palette->green[s] = uint8_t(gSum[s] / selection[s].hits);
        palette->blue[s] = uint8_t(bSum[s] / selection[s].hits);
    }
    palette->numColors = k;
    delete[] list;
    TRACE_dedent();
    TRACE_dedent();
    return palette;
}

quantizedImage_t *plainQuantizeImage(const loadedImage_t *image, const palette_t *palette)
{
    TRACE_ident();
    TRACE(1, "Quantizing image\n");
    TRACE_ident();
    const uint64_t n = uint64_t(image->width) * image->height;
    uint8_t *indices = new uint8_t[n];
    TRACE(1, "Remapping colors... %d pixels\n", unsigned(n));
    for (uint64_t p = 0; p < n; ++p) {
        const uint8_t *pixel = image->pixels + p * 4;
        double best = 16777216.0;
        unsigned index = 255;
        for (unsigned j = 0; j < palette->numColors; ++j) {
            const double d = distance(pixel[2], pixel[1], pixel[0], palette->red[j],
                                      palette->green[j], palette->blue[j]);
            if (d < best) {
                best = d;
                index = j;
            }
        }
        indices[p] = uint8_t(index);
    }
    quantizedImage_t *result = new quantizedImage_t();
    result->palette = *palette;
    result->width = image->width;
    result->height = image->height;
    result->x = image->x;
    result->y = image->y;
    result->pixels = indices;
    TRACE_dedent();
    TRACE_dedent();
    return result;
}

double distance(unsigned r1, unsigned g1, unsigned b1, unsigned r2, unsigned g2, unsigned b2)
{
    const double dr = double(r1) - double(r2);
    const double dg = double(g1) - double(g2);
    const double db = double(b1) - double(b2);
    return dr * dr + dg * dg + db * db;
}
