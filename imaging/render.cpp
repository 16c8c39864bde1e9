#include "imaging/render.h"

#include <algorithm>
#include <cassert>
#include <cstring>

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

uint64_t pixelsOf(const loadedImage_t *image) { return uint64_t(image->width()) * image->height(); }

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
                                   const renderOptions_t &options, const splashFrame_t &frame,
                                   secondThread_t &thread)
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
            pixels.add(strip->pixels().data(), strip->width() * strip->height());
    // The boot loader keeps its first entries for itself; the chosen colours
    // follow them. The full palette counts them as chosen already, and maps
    // images to them too.
    palette_t kept{};
    for (unsigned j = 0; j < kKeptColors; ++j)
        kept.append(frame.palette[3 * j], frame.palette[3 * j + 1], frame.palette[3 * j + 2]);
    palette = options.fullPalette ? getFullPalette(pixels, kSplashColors, &kept, thread)
                                  : getOptimalPalette(pixels, kSplashColors);
    memcpy(stored, frame.palette, 3 * kKeptColors);
    for (unsigned j = 0; j < kPaletteEntries - kKeptColors; ++j) {
        stored[3 * (kKeptColors + j)] = palette.red(j);
        stored[3 * (kKeptColors + j) + 1] = palette.green(j);
        stored[3 * (kKeptColors + j) + 2] = palette.blue(j);
    }
    // A colour that equals a kept one maps to it, the first of equals.
    const unsigned storedCount = std::min(kKeptColors + palette.size(), kPaletteEntries);
    for (unsigned j = 0; j < storedCount; ++j)
        storedColors.append(stored[3 * j], stored[3 * j + 1], stored[3 * j + 2]);
    if (options.fullPalette)
        mappedTo = &storedColors;
}

std::vector<quantizedImage_t> splashRenderer_t::MapIcons() const
{
    std::vector<quantizedImage_t> strips;
    if (frame.icons[0] == nullptr)
        return strips;
    // Strips are never dithered: their few flat colours need no grain.
    for (const loadedImage_t *strip : frame.icons)
        strips.push_back(quantizeImage(strip, &storedColors));
    return strips;
}

void splashRenderer_t::Map(unsigned i, uint8_t *indices, const rowsMapped_t &rowsMapped)
{
    if (lookup == nullptr)
        lookup = lookupFor(*mappedTo, dither);
    if (dither && ditherTables == nullptr && lookup != nullptr)
        ditherTables = std::make_unique<ditherPalette_t>(*mappedTo);
    // Mapped rows become stored ones before they are handed on.
    const uint64_t width = slots[i]->width();
    const unsigned offset = mappedTo == &palette ? kKeptColors : 0;
    uint64_t done = 0;
    const rowsMapped_t storeRows = [&](uint32_t rows) {
        for (const uint64_t mapped = rows * width; done < mapped; ++done)
            indices[done] = uint8_t(indices[done] + offset);
        rowsMapped(rows);
    };
    if (dither)
        ditherInto(slots[i], mappedTo, lookup.get(), indices, storeRows, ditherTables.get());
    else
        quantizeInto(slots[i], lookup.get(), indices, storeRows);
    assert(done == width * slots[i]->height());
}

packPicture_t pictureOf(const loadedImage_t &image)
{
    return {image.width(), image.height(), uint32_t(image.x()), uint32_t(image.y())};
}

newSplash_t packSplashOf(const std::shared_ptr<splashRenderer_t> &renderer)
{
    std::vector<std::vector<uint8_t>> strips;
    for (quantizedImage_t &strip : renderer->MapIcons())
        strips.push_back(std::move(strip.pixels));
    return newSplash_t(renderer->StoredPalette(), std::move(strips),
                       [renderer](unsigned i, uint8_t *indices, const rowsDone_t &rowsDone) {
                           renderer->Map(i, indices, rowsDone);
                       });
}
