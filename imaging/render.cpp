#include "imaging/render.h"

#include <algorithm>

#include "imaging/alphaCompose.h"
#include "imaging/dither.h"
#include "imaging/fullPalette.h"

namespace {

// Without the full palette, the palette is chosen from a canvas of 640 x
// 480 whatever the screen's size: that is how every splash has always been
// made, so a description gives the same palette, and the same bytes, as it
// always has. What lies beyond it on a larger screen takes no part in the
// choice.
const unsigned canvasWidth = 640;
const unsigned canvasHeight = 480;

/// The most pixels the full palette counts: its sums must fit 64 bits.
const uint64_t fullPalettePixels = uint64_t(1) << 23;

uint64_t pixelsOf(const loadedImage_t *image) { return uint64_t(image->width) * image->height; }

/// The full palette is asked for the picture as it will be seen, so it
/// takes the whole screen, as far as it can count beside the strips (a
/// splash that fits the boot loader holds at most 2^20 strip pixels): rows
/// beyond that take no part. An empty screen shows nothing; it keeps the
/// usual canvas.
void fullCanvasSize(const splashFrame_t &frame, uint64_t stripPixels, unsigned *W, unsigned *H)
{
    if (frame.screenWidth == 0 || frame.screenHeight == 0)
        return;
    const uint64_t room = fullPalettePixels - std::min(stripPixels, fullPalettePixels / 2);
    *W = unsigned(std::min<uint64_t>(frame.screenWidth, room));
    *H = unsigned(std::min<uint64_t>(frame.screenHeight, room / *W));
}

} // namespace

splashRenderer_t::splashRenderer_t(const loadedImage_t *const *images, unsigned count,
                                   const renderOptions_t &options, const splashFrame_t &frame)
    : frame(frame), slots(images, images + count), dither(options.dither)
{
    // With alpha, the composed images take the place of the loaded ones:
    // they are what the palette is chosen for and what is stored.
    if (options.alpha)
        composeImages(slots.data(), count, &composed);
    const bool ownIcons = frame.icons[0] != nullptr;
    const uint64_t stripPixels = ownIcons ? pixelsOf(frame.icons[0]) + pixelsOf(frame.icons[1]) : 0;
    unsigned W = canvasWidth, H = canvasHeight;
    if (options.fullPalette)
        fullCanvasSize(frame, stripPixels, &W, &H);
    // The palette is chosen for the composite, counted from the images
    // without drawing it.
    pixelRuns_t pixels = canvasRuns(slots.data(), count, W, H);
    // New strips are stored with the chosen colours, so they are chosen for
    // too. The choice counts pixels, not their places: the strips' pixels
    // follow the composite's.
    if (ownIcons)
        for (const loadedImage_t *strip : frame.icons)
            pixels.add(strip->pixels.data(), strip->width * strip->height);
    palette = options.fullPalette ? getFullPalette(pixels, kSplashColors) : getOptimalPalette(pixels, kSplashColors);
}

std::vector<quantizedImage_t> splashRenderer_t::MapIcons() const
{
    std::vector<quantizedImage_t> strips;
    if (frame.icons[0] == nullptr)
        return strips;
    // The palette as the pack stores it: a strip's colour that equals a kept
    // one maps to it, the first of equals.
    palette_t stored{};
    for (unsigned j = 0; j < kKeptColors; ++j) {
        stored.red[j] = frame.keptColors[3 * j];
        stored.green[j] = frame.keptColors[3 * j + 1];
        stored.blue[j] = frame.keptColors[3 * j + 2];
    }
    for (unsigned j = 0; j < palette.numColors && kKeptColors + j < 256; ++j) {
        stored.red[kKeptColors + j] = palette.red[j];
        stored.green[kKeptColors + j] = palette.green[j];
        stored.blue[kKeptColors + j] = palette.blue[j];
    }
    stored.numColors = std::min(kKeptColors + palette.numColors, 256u);
    // Strips are never dithered: their few flat colours need no grain.
    for (const loadedImage_t *strip : frame.icons)
        strips.push_back(quantizeImage(strip, &stored));
    return strips;
}

void splashRenderer_t::Map(unsigned i, uint8_t *indices, const rowsMapped_t &rowsMapped)
{
    if (lookup == nullptr)
        lookup = lookupFor(palette, dither);
    if (dither)
        ditherInto(slots[i], &palette, lookup.get(), indices, rowsMapped);
    else
        quantizeInto(slots[i], lookup.get(), indices, rowsMapped);
}

renderedSplash_t renderSplash(const loadedImage_t *const *images, unsigned count, const renderOptions_t &options,
                              const splashFrame_t &frame)
{
    splashRenderer_t renderer(images, count, options, frame);
    renderedSplash_t splash;
    splash.palette = renderer.Palette();
    splash.images.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        std::vector<uint8_t> indices(uint64_t(images[i]->width) * images[i]->height);
        renderer.Map(i, indices.data(), [](uint32_t) {});
        splash.images.push_back(quantizedLike(images[i], &splash.palette, std::move(indices)));
    }
    splash.icons = renderer.MapIcons();
    return splash;
}
