// Palette selection by colour-box subdivision.
#include "imaging/imgtools.h"

#include "driver/traceMsg.h"

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

bool passesSplitTest(const colorCube_t &cube, double t, unsigned maxColors)
{
    return cube.share > 1.0 && cube.share / volume(cube) < 9.0 * t * maxColors / 16777216.0;
}

colorCube_t *recursiveGetCubes(uint8_t *pixels, unsigned numPixels, colorCube_t *list,
                               unsigned *numCubes, unsigned maxColors)
{
    for (;;) {
        unsigned n = *numCubes;
        TRACE(8, "Cube Split... %d %s\n", n, n > 1 ? "Cubes" : "Cube");

        for (unsigned i = 0; i < n; ++i)
            list[i].hits = 0;
        for (unsigned p = 0; p < numPixels; ++p) {
            const uint8_t *pixel = pixels + uint64_t(p) * 4;
            for (unsigned i = 0; i < n; ++i) {
                if (holds(list[i], pixel)) {
                    ++list[i].hits;
                    break;
                }
            }
        }
        uint64_t totalHits = 0;
        for (unsigned i = 0; i < n; ++i)
            totalHits += list[i].hits;
        assert(totalHits== numPixels);

        for (unsigned i = 0; i < n; ++i)
            list[i].share = double(list[i].hits) * maxColors / numPixels;

        double t = double(maxColors) / n;
        if (t < 1.0)
            t = 1.0;

        unsigned splits = 0, removes = 0;
        auto count = [&] {
            splits = removes = 0;
            for (unsigned i = 0; i < n; ++i) {
                if (passesSplitTest(list[i], t, maxColors))
                    ++splits;
                if (list[i].hits == 0)
                    ++removes;
            }
        };
        count();
        if (splits == 0 && n - removes < 2 * maxColors / 3) {
            TRACE_ident();
            TRACE(8, "split second try\n");
            t *= double(maxColors) / double(n - removes);
            count();
            TRACE_dedent();
        }
        TRACE(8, "...%d splits, %d removes\n", splits, removes);

        unsigned next = splits * 7 + n - removes;
        colorCube_t *nextList = new colorCube_t[next]();
        unsigned k = 0;
        for (unsigned i = 0; i < n; ++i) {
            if (list[i].hits == 0)
                continue;
            if (passesSplitTest(list[i], t, maxColors)) {
                splitCube(nextList + k, list + i);
                k += 8;
            } else {
                nextList[k++] = list[i];
            }
        }
        assert(k == next);
        delete[] list;
        list = nextList;
        *numCubes = next;
        if (splits == 0)
            return list;
    }
}

colorCube_t *getCubes(unsigned char *pixels, unsigned numPixels, unsigned *numCubes,
                      unsigned maxColors)
{
    colorCube_t *list = new colorCube_t[1]();
    list[0].rMin = list[0].gMin = list[0].bMin = 0;
    list[0].rMax = list[0].gMax = list[0].bMax = 255;
    list[0].rCanon = list[0].gCanon = list[0].bCanon = 127;
    *numCubes = 1;
    return recursiveGetCubes(pixels, numPixels, list, numCubes, maxColors);
}

// Halves the inclusive range [lo, hi]. A single-value range has an empty
// upper half; at 255 the upper bound would wrap, so the empty half is spelled
// as 255..254 there.
void halve(uint8_t lo, uint8_t hi, uint8_t half[2][2])
{
    unsigned mid = (unsigned(lo) + hi) / 2;
    half[0][0] = lo;
    half[0][1] = uint8_t(mid);
    if (mid + 1 > 255) {
        half[1][0] = 255;
        half[1][1] = 254;
    } else {
        half[1][0] = uint8_t(mid + 1);
        half[1][1] = hi;
    }
}

} // namespace

void splitCube(colorCube_t *destination, colorCube_t *source)
{
    uint8_t r[2][2], g[2][2], b[2][2];
    halve(source->rMin, source->rMax, r);
    halve(source->gMin, source->gMax, g);
    halve(source->bMin, source->bMax, b);
    for (unsigned k = 0; k < 8; ++k) {
        colorCube_t &c = destination[k];
        const uint8_t *rh = r[k & 1], *gh = g[(k >> 1) & 1], *bh = b[(k >> 2) & 1];
        c.rMin = rh[0];
        c.rMax = rh[1];
        c.gMin = gh[0];
        c.gMax = gh[1];
        c.bMin = bh[0];
        c.bMax = bh[1];
        c.rCanon = uint8_t((unsigned(c.rMin) + c.rMax) / 2);
        c.gCanon = uint8_t((unsigned(c.gMin) + c.gMax) / 2);
        c.bCanon = uint8_t((unsigned(c.bMin) + c.bMax) / 2);
    }
}

palette_t *getOptimalPalette(loadedImage_t *image, unsigned maxColors)
{
    TRACE_ident();
    TRACE(1, "Selecting palette\n");
    TRACE_ident();

    palette_t *palette = new palette_t();
    unsigned numPixels = image->width * image->height;
    unsigned numCubes = 0;
    colorCube_t *list = getCubes(image->pixels, numPixels, &numCubes, maxColors);

    for (unsigned i = 0; i < numCubes; ++i)
        list[i].density = list[i].share / volume(list[i]);

    unsigned k = numCubes < maxColors ? numCubes : maxColors;
    if (k > 256)
        k = 256;
    colorCube_t *selection = new colorCube_t[k > 0 ? k : 1]();
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

    for (unsigned s = 0; s < k; ++s)
        selection[s].rSum = selection[s].gSum = selection[s].bSum = 0;
    for (unsigned p = 0; p < numPixels; ++p) {
        const uint8_t *pixel = image->pixels + uint64_t(p) * 4;
        for (unsigned s = 0; s < k; ++s) {
            if (holds(selection[s], pixel)) {
                selection[s].rSum += pixel[2];
                selection[s].gSum += pixel[1];
                selection[s].bSum += pixel[0];
            }
        }
    }
    for (unsigned s = 0; s < k; ++s) {
        colorCube_t &c = selection[s];
        c.rCanon = uint8_t(c.rSum / c.hits);
        c.gCanon = uint8_t(c.gSum / c.hits);
        c.bCanon = uint8_t(c.bSum / c.hits);
        palette->red[s] = c.rCanon;
        palette->green[s] = c.gCanon;
        palette->blue[s] = c.bCanon;
    }
    palette->numColors = k;

    delete[] list;
    delete[] selection;
    TRACE_dedent();
    TRACE_dedent();
    return palette;
}
