#include <cstdio>

#include "diagnostics/errors.h"
#include "diagnostics/traceMsg.h"
#include "diagnostics/traceStep.h"
#include "driver/run.h"
#include "imaging/alphaCompose.h"
#include "imaging/loadInOrder.h"
#include "imaging/smoothResize.h"

namespace {

/// Hands a load's image over; false after reporting a refusal.
bool takeImage(loadOutcome_t *outcome, std::vector<loadedImage_t> *images)
{
    if (outcome->error) {
        fflush(stdout);
        outcome->error->report();
        return false;
    }
    images->push_back(std::move(*outcome->image));
    return true;
}

} // namespace

int runImagePhase(const splashDescription_t &description, bool alpha, bool smooth, std::vector<loadedImage_t> *images,
                  std::vector<loadedImage_t> *iconStrips, secondThread_t *thread)
{
    // The strips are taken as they are: their size is checked against the
    // boot loader's own once that is read, and their place is the strip's.
    std::vector<std::string> paths;
    std::vector<leastSize_t> leastSizes;
    for (uint32_t i = 0; i < description.imageCount; ++i) {
        const splashImage_t &entry = description.images[i];
        paths.push_back(entry.fileName);
        // An image filtered into a box needs no more pixels than the box
        // has, whichever way it is zoomed; point sampling takes the pixels
        // of the image as stored.
        const bool filtered = entry.modifier == MOD_COVERING || entry.modifier == MOD_WITHIN ||
                              (smooth && entry.modifier == MOD_RESIZED);
        leastSizes.push_back(filtered ? leastSize_t{entry.width, entry.height} : leastSize_t());
    }
    if (description.ownIcons)
        paths.insert(paths.end(), {description.iconsLitFile, description.iconsUnlitFile});
    images->reserve(description.imageCount);
    iconStrips->reserve(description.ownIcons ? 2 : 0);
    const bool loaded = loadInOrder(paths, [&](size_t i, loadOutcome_t *outcome) {
        if (i >= description.imageCount) {
            if (!takeImage(outcome, iconStrips))
                return false;
            TRACE(0, "\n");
            return true;
        }
        if (!takeImage(outcome, images))
            return false;
        const splashImage_t &entry = description.images[i];
        loadedImage_t *image = &images->back();
        image->moveTo(entry.x, entry.y);
        if (entry.modifier == MOD_RESIZED && smooth)
            resizeSmoothlyTo(image, entry.width, entry.height);
        else if (entry.modifier == MOD_RESIZED)
            image->resizeTo(entry.width, entry.height);
        else if (entry.modifier == MOD_CLIPPED)
            image->clipTo(entry.width, entry.height);
        else if (entry.modifier == MOD_COVERING)
            coverBox(image, entry.width, entry.height);
        else if (entry.modifier == MOD_WITHIN)
            fitInBox(image, entry.width, entry.height);
        image->clipToWorld(description.screenWidth, description.screenHeight);
        // Without --alpha such a picture shows the colours hidden under its
        // transparent parts, often a surprise. The hint is only shown under
        // -v, so the default trace stays as it was; without -v the pixels
        // are not even looked at.
        if (!alpha && TRACE_shows(1) && hasTransparentPixels(*image)) {
            traceStep_t step;
            TRACE(1, "%s has transparent pixels: with --alpha they show what lies beneath them, "
                     "not their own colours\n",
                  entry.fileName.c_str());
        }
        TRACE(0, "\n");
        return true;
    }, thread, leastSizes);
    return loaded ? 0 : 1;
}
