#include "imaging/render.h"

#include "imaging/alphaCompose.h"
#include "imaging/dither.h"
#include "imaging/fullPalette.h"
#include "imaging/mixImages.h"

namespace {

// The palette is chosen from a canvas of 640 x 480 whatever the screen's
// size: that is how every splash has always been made, so a description
// gives the same palette, and the same bytes, as it always has. What lies
// beyond it on a larger screen takes no part in the choice.
const unsigned canvasWidth = 640;
const unsigned canvasHeight = 480;

} // namespace

splashRenderer_t::splashRenderer_t(const loadedImage_t *const *images, unsigned count,
                                   const renderOptions_t &options)
    : slots(images, images + count), dither(options.dither)
{
    // With alpha, the composed images take the place of the loaded ones:
    // they are what the palette is chosen for and what is stored.
    if (options.alpha)
        composeImages(slots.data(), count, &composed);
    const loadedImage_t canvas = mixImages(slots.data(), count, canvasWidth, canvasHeight);
    palette = options.fullPalette ? getFullPalette(&canvas, kSplashColors) : getOptimalPalette(&canvas, kSplashColors);
}

void splashRenderer_t::Map(unsigned i, uint8_t *indices, const rowsMapped_t &rowsMapped)
{
    if (lookup == nullptr)
        lookup = lookupFor(palette);
    if (dither)
        ditherInto(slots[i], &palette, lookup.get(), indices, rowsMapped);
    else
        quantizeInto(slots[i], lookup.get(), indices, rowsMapped);
}

renderedSplash_t renderSplash(const loadedImage_t *const *images, unsigned count, const renderOptions_t &options)
{
    splashRenderer_t renderer(images, count, options);
    renderedSplash_t splash;
    splash.palette = renderer.Palette();
    splash.images.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        std::vector<uint8_t> indices(uint64_t(images[i]->width) * images[i]->height);
        renderer.Map(i, indices.data(), [](uint32_t) {});
        splash.images.push_back(quantizedLike(images[i], &splash.palette, std::move(indices)));
    }
    return splash;
}
