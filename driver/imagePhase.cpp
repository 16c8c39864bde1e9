#include <cstdio>

#include "diagnostics/errors.h"
#include "diagnostics/traceMsg.h"
#include "driver/run.h"
#include "imaging/loadImage.h"

int runImagePhase(const splashDescription_t &description, std::vector<loadedImage_t> *images)
{
    images->reserve(description.imageCount);
    for (uint32_t i = 0; i < description.imageCount; ++i) {
        const splashImage_t &entry = description.images[i];
        TRACE(0, "loading %s\n", entry.fileName);
        try {
            images->emplace_back(loadImage(entry.fileName));
        } catch (imgtoolsError_t &error) {
            fflush(stdout);
            error.report();
            return 1;
        }
        loadedImage_t *image = &images->back();
        image->moveTo(entry.x, entry.y);
        if (entry.modifier == MOD_RESIZED)
            image->resizeTo(entry.width, entry.height);
        else if (entry.modifier == MOD_CLIPPED)
            image->clipTo(entry.width, entry.height);
        image->clipToWorld(description.screenWidth, description.screenHeight);
        TRACE(0, "\n");
    }
    return 0;
}
