#include <cstdio>

#include "diagnostics/errors.h"
#include "diagnostics/traceMsg.h"
#include "driver/run.h"
#include "imaging/loadImage.h"

namespace {

/// Loads one file into `images`; false after reporting a refusal.
bool loadInto(const char *fileName, std::vector<loadedImage_t> *images)
{
    TRACE(0, "loading %s\n", fileName);
    try {
        images->emplace_back(loadImage(fileName));
    } catch (imgtoolsError_t &error) {
        fflush(stdout);
        error.report();
        return false;
    }
    return true;
}

} // namespace

int runImagePhase(const splashDescription_t &description, std::vector<loadedImage_t> *images,
                  std::vector<loadedImage_t> *iconStrips)
{
    images->reserve(description.imageCount);
    for (uint32_t i = 0; i < description.imageCount; ++i) {
        const splashImage_t &entry = description.images[i];
        if (!loadInto(entry.fileName.c_str(), images))
            return 1;
        loadedImage_t *image = &images->back();
        image->moveTo(entry.x, entry.y);
        if (entry.modifier == MOD_RESIZED)
            image->resizeTo(entry.width, entry.height);
        else if (entry.modifier == MOD_CLIPPED)
            image->clipTo(entry.width, entry.height);
        image->clipToWorld(description.screenWidth, description.screenHeight);
        TRACE(0, "\n");
    }
    // The strips are taken as they are: their size is checked against the
    // boot loader's own once that is read, and their place is the strip's.
    if (description.ownIcons) {
        iconStrips->reserve(2);
        for (const std::string *fileName : {&description.iconsLitFile, &description.iconsUnlitFile}) {
            if (!loadInto(fileName->c_str(), iconStrips))
                return 1;
            TRACE(0, "\n");
        }
    }
    return 0;
}
