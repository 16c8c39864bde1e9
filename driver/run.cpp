#include "driver/run.h"

#include <cstdio>

#include "imaging/besideTask.h"
#include "language/parseDescription.h"

dawnmarkRun_t::dawnmarkRun_t() : description{} {}

dawnmarkRun_t::~dawnmarkRun_t()
{
    // The boot loader file holds the images by pointer: it goes first.
    zbeos.reset();
    images.clear();
    iconStrips.clear();
    releaseFileNames(&description);
}

int dawnmarkRun_t::Run(int argc, char **argv)
{
    printBanner();
    if (int status = parseCommandLine(argc, argv, &settings))
        return status;
    // Started now, the second thread waits ready by the time the save hands
    // it the codec.
    besideTask_t::Prepare();

    FILE *input = fopen(settings.splashFile, "r");
    if (input == nullptr) {
        perror(settings.splashFile);
        return 1;
    }
    const int status = runDescriptionPhase(input, &description);
    fclose(input);
    if (status != 0)
        return status;
    if (int guardStatus = refuseInputAsOutput(settings, description))
        return guardStatus;
    if (int previewStatus = checkPreviewPaths(settings, description))
        return previewStatus;
    if (int imageStatus = runImagePhase(description, &images, &iconStrips))
        return imageStatus;
    if (int saveStatus = runBootloaderPhase(settings, description, images, iconStrips, &zbeos, &pack))
        return saveStatus;
    return runPreviewPhase(settings, pack);
}

int runDawnmark(int argc, char **argv)
{
    dawnmarkRun_t run;
    return run.Run(argc, argv);
}
