#include "imaging/render.h"

#include <deque>

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

renderedSplash_t renderSplash(const loadedImage_t *const *images, unsigned count, const renderOptions_t &options)
{
    // With alpha, the composed images take the place of the loaded ones:
    // they are what the palette is chosen for and what is stored.
    std::vector<const loadedImage_t *> slots(images, images + count);
    std::deque<loadedImage_t> composed;
    if (options.alpha)
        composeImages(slots.data(), count, &composed);

    renderedSplash_t splash;
    {
        const loadedImage_t canvas = mixImages(slots.data(), count, canvasWidth, canvasHeight);
        splash.palette = options.fullPalette ? getFullPalette(&canvas, kSplashColors)
                                             : getOptimalPalette(&canvas, kSplashColors);
    }
    splash.images.reserve(count);
    for (const loadedImage_t *image : slots)
        splash.images.push_back(options.dither ? ditherImage(image, &splash.palette)
                                               : quantizeImage(image, &splash.palette));
    return splash;
}
