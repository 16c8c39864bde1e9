#include <cstdio>

#include "diagnostics/errors.h"
#include "diagnostics/traceMsg.h"
#include "diagnostics/traceStep.h"
#include "driver/run.h"
#include "imaging/alphaCompose.h"
#include "imaging/loadInOrder.h"

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

int runImagePhase(const splashDescription_t &description, bool alpha, std::vector<loadedImage_t> *images,
                  std::vector<loadedImage_t> *iconStrips, secondThread_t *thread)
{
    // The strips are taken as they are: their size is checked against the
    // boot loader's own once that is read, and their place is the strip's.
    std::vector<std::string> paths;
    for (uint32_t i = 0; i < description.imageCount; ++i)
        paths.push_back(description.images[i].fileName);
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
        if (entry.modifier == MOD_RESIZED)
            image->resizeTo(entry.width, entry.height);
        else if (entry.modifier == MOD_CLIPPED)
            image->clipTo(entry.width, entry.height);
        image->clipToWorld(description.screenWidth, description.screenHeight);
        // Without --alpha such a picture shows the colours hidden under its
        // transparent parts, often a surprise. The hint is only shown under
        // -v, so the default trace stays as it was; without -v the pixels
        // are not even looked at.
        if (!alpha && trace_level > 1 && hasTransparentPixels(*image)) {
            traceStep_t step;
            TRACE(1, "%s has transparent pixels: with --alpha they show what lies beneath them, "
                     "not their own colours\n",
                  entry.fileName.c_str());
        }
        TRACE(0, "\n");
        return true;
    }, thread);
    return loaded ? 0 : 1;
}
