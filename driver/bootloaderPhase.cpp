#include <cstdio>

#include "bootfile/zbeos.h"
#include "diagnostics/errors.h"
#include "driver/run.h"
#include "diagnostics/traceStep.h"

int runBootloaderPhase(const runSettings_t &settings, const splashDescription_t &description,
                       const std::vector<loadedImage_t> &images, const std::vector<loadedImage_t> &iconStrips,
                       std::unique_ptr<zbeos_t> *owner, std::vector<unsigned char> *pack)
{
    try {
        TRACE(0, "loading %s\n", settings.pathToZbeos);
        owner->reset(new zbeos_t(settings.pathToZbeos));
        zbeos_t *zbeos = owner->get();
        TRACE(0, "\n");

        zbeos->DefineScreen(description.screenWidth, description.screenHeight, description.screenDepth);
        zbeos->IconsAt(description.iconsX, description.iconsY);

        // Strips of the wrong size are refused here, before anything is
        // written: only now is the boot loader's own size known.
        if (!iconStrips.empty()) {
            TRACE(0, "Replacing icons in zbeos\n");
            {
                traceStep_t step;
                TRACE(0, "  lit) %s\n", description.iconsLitFile.c_str());
                TRACE(0, "unlit) %s\n", description.iconsUnlitFile.c_str());
                zbeos->UseIcons(&iconStrips[0], description.iconsLitFile.c_str(), &iconStrips[1],
                                description.iconsUnlitFile.c_str());
            }
            TRACE(0, "\n");
        }

        TRACE(0, "Replacing images in zbeos\n");
        {
            traceStep_t step;
            for (uint32_t i = 0; i < description.imageCount; ++i) {
                TRACE(0, "%3d) %s\n", (int)i, description.images[i].fileName.c_str());
                zbeos->AddImage(&images[i]);
            }
        }
        TRACE(0, "\n");

        TRACE(0, "Building new zbeos (%s)\n", settings.output);
        *pack = zbeos->Save(settings.output, settings.render);
        TRACE(0, "\n");
    } catch (dawnmarkError_t &error) {
        // A boot loader that was not written is a failure, whatever step
        // refused it.
        fflush(stdout);
        error.report();
        return 1;
    }
    return 0;
}
