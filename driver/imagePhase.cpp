#include <cstdlib>

#include "diagnostics/errors.h"
#include "driver/run.h"
#include "diagnostics/traceMsg.h"

loadedImage_t **runImagePhase(const splashDescription_t *description)
{
    // One slot per entry, kept until the process ends: held in static
    // storage from the start, so that the images stay reachable even when
    // a failure (out of memory) leaves this function early.
    static loadedImage_t **images;
    images = new loadedImage_t *[description->imageCount > 0 ? description->imageCount : 1]();

    for (uint32_t i = 0; i < description->imageCount; ++i) {
        const splashImage_t &entry = description->images[i];
        TRACE(0, "loading %s\n", entry.fileName);
        try {
            images[i] = loadImage(entry.fileName);
        } catch (imgtoolsError_t &error) {
            fflush(stdout);
            error.report();
            exit(1);
        }
        loadedImage_t *image = images[i];
        image->moveTo(entry.x, entry.y);
        if (entry.modifier == MOD_RESIZED)
            image->resizeTo(entry.width, entry.height);
        else if (entry.modifier == MOD_CLIPPED)
            image->clipTo(entry.width, entry.height);
        image->clipToWorld(description->screenWidth, description->screenHeight);
        TRACE(0, "\n");
    }
    return images;
}
