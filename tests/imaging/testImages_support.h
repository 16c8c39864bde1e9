// Synthetic images for the palette and quantization tests and benchmark.
#pragma once

#include "imaging/loadedImage.h"
#include "imaging/palette.h"

#include <initializer_list>
#include <memory>
#include <vector>

/// An image record that frees its pixel buffer with it.
using imagePtr = ownedImage_t;

/// A deterministic generator, so every run tests the same images.
struct testRandom_t {
    uint64_t state;
    explicit testRandom_t(uint64_t seed) : state(seed) {}
    uint32_t next();
    /// Uniform in [0, bound).
    uint32_t below(uint32_t bound) { return uint32_t(uint64_t(next()) * bound >> 32); }
};

/// A black w x h image at (x, y), fourth bytes 0.
imagePtr blankImage(unsigned w, unsigned h, int x = 0, int y = 0);
void setPixel(loadedImage_t *image, unsigned column, unsigned row, unsigned red, unsigned green,
              unsigned blue);
/// Red, green and blue of a pixel as red << 16 | green << 8 | blue.
uint32_t pixelAt(const loadedImage_t *image, unsigned column, unsigned row);

imagePtr solidImage(unsigned w, unsigned h, unsigned red, unsigned green, unsigned blue);
/// White on top, black below.
imagePtr halvesImage(unsigned w, unsigned h);
/// Pixels drawn at random from a set of `count` random colours.
imagePtr fewColorsImage(unsigned w, unsigned h, unsigned count, uint64_t seed);
/// One colour everywhere but on every `every`-th pixel, which takes one of
/// eight neighbouring colours far from it: with few pixels, those get boxes
/// finer than edge 4.
imagePtr rareColorsImage(unsigned w, unsigned h, unsigned every);
imagePtr noiseImage(unsigned w, unsigned h, uint64_t seed);
/// Colour changes smoothly across the image; noise of +-amplitude on top.
imagePtr gradientImage(unsigned w, unsigned h, unsigned amplitude, uint64_t seed);
/// Smooth shaded blobs with fine grain, like a photograph, with flat-coloured
/// shapes ("logos") painted over it.
imagePtr photoLikeImage(unsigned w, unsigned h, uint64_t seed);
/// Flat logos and photographs of random sizes scattered over (and partly
/// beyond) a W x H screen, as the icon pack would receive them.
std::vector<imagePtr> scatteredImages(unsigned count, unsigned W, unsigned H, uint64_t seed);
/// mixImages over a list of owned images.
imagePtr mixedImage(const std::vector<imagePtr> &images, unsigned W, unsigned H);
/// The 640 x 480 composite of a photograph-like background and logos, some
/// of them hanging over the edges.
imagePtr photoLikeComposite(uint64_t seed);

/// A palette of the given colours (red << 16 | green << 8 | blue), in order.
palette_t paletteOf(std::initializer_list<uint32_t> colors);
