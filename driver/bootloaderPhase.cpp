#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

#include "bootfile/zbeos.h"
#include "diagnostics/errors.h"
#include "diagnostics/traceStep.h"
#include "driver/run.h"
#include "imaging/render.h"

namespace {

/// The splash of the images for `zbeos`, whose palette gives the kept
/// colours: the palette is chosen here, the images are mapped as the save
/// asks for their rows.
newSplash_t renderFor(const zbeos_t &zbeos, const splashDescription_t &description,
                      const std::vector<loadedImage_t> &images, const std::vector<loadedImage_t> &iconStrips,
                      const renderOptions_t &options, secondThread_t *thread)
{
    splashFrame_t frame;
    frame.screenWidth = description.screen().width;
    frame.screenHeight = description.screen().height;
    if (!iconStrips.empty()) {
        frame.icons[0] = &iconStrips[0];
        frame.icons[1] = &iconStrips[1];
    }
    memcpy(frame.palette, zbeos.IconPack().Palette(), sizeof frame.palette);
    std::vector<const loadedImage_t *> pointers;
    for (const loadedImage_t &image : images)
        pointers.push_back(&image);
    return packSplashOf(
        std::make_shared<splashRenderer_t>(pointers.data(), unsigned(pointers.size()), options, frame, *thread));
}

} // namespace

int readBootloaderFile(const runSettings_t &settings, std::optional<zbeos_t> *zbeos)
{
    try {
        TRACE(0, "loading %s\n", settings.pathToZbeos);
        zbeos->emplace(settings.pathToZbeos);
        TRACE(0, "\n");
    } catch (dawnmarkError_t &error) {
        fflush(stdout);
        error.report();
        // Where no BeOS runs, the default path names nothing; the option to
        // use instead is the one thing to say.
        if (!settings.zbeosNamed && access(settings.pathToZbeos, F_OK) != 0)
            fprintf(stderr, "Name the boot loader file to read with -z PATH, such as -z zbeos.old\n");
        return 1;
    }
    return 0;
}

int runBootloaderPhase(const runSettings_t &settings, const splashDescription_t &description,
                       const std::vector<loadedImage_t> &images, const std::vector<loadedImage_t> &iconStrips,
                       zbeos_t *bootLoader, secondThread_t *thread, std::vector<unsigned char> *pack)
{
    zbeos_t &zbeos = *bootLoader;
    try {
        zbeos.DefineScreen(description.screen().width, description.screen().height, description.screen().depth);
        zbeos.IconsAt(description.iconsX(), description.iconsY());

        // Strips of the wrong size are refused here, before anything is
        // written: only now is the boot loader's own size known.
        if (!iconStrips.empty()) {
            TRACE(0, "Replacing icons in zbeos\n");
            {
                traceStep_t step;
                TRACE(0, "  lit) %s\n", description.iconsLitFile().c_str());
                TRACE(0, "unlit) %s\n", description.iconsUnlitFile().c_str());
                zbeos.UseIcons(pictureOf(iconStrips[0]), description.iconsLitFile().c_str(), pictureOf(iconStrips[1]),
                               description.iconsUnlitFile().c_str());
            }
            TRACE(0, "\n");
        }

        TRACE(0, "Replacing images in zbeos\n");
        {
            traceStep_t step;
            for (uint32_t i = 0; i < description.images().size(); ++i) {
                TRACE(0, "%3d) %s\n", (int)i, description.images()[i].fileName.c_str());
                zbeos.AddImage(pictureOf(images[i]));
            }
        }
        TRACE(0, "\n");

        TRACE(0, "Building new zbeos (%s)\n", settings.output);
        // Refused before the palette is chosen, the work that needs the most
        // memory on its own.
        zbeos.RequireSplashFits(settings.output);
        // Dithered pixels repeat in short, slightly different runs, on which
        // level 9's long match searches cost 4 to 12 times level 6's for
        // about the same size.
        const int level = settings.render.dither ? 6 : 9;
        const bool keepReplaced = settings.backup || replacesInputBootLoader(settings);
        *pack = zbeos.Save(settings.output,
                           renderFor(zbeos, description, images, iconStrips, settings.render, thread), level,
                           *thread, keepReplaced);
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
