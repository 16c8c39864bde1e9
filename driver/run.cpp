#include "driver/run.h"

#include <cstdio>

#include "language/parseDescription.h"

dawnmarkRun_t::dawnmarkRun_t() : description{} {}

int dawnmarkRun_t::Run(int argc, char **argv)
{
    printBanner();
    if (const std::optional<int> end = parseCommandLine(argc, argv, &settings))
        return *end;
    // Started now, the second thread waits ready by the time the first
    // work is handed to it.
    secondThread.emplace();

    if (int status = settings.picture != nullptr ? ReadQuickForm() : ReadDescription())
        return status;
    if (int guardStatus = refuseInputAsOutput(settings, description))
        return guardStatus;
    if (int outputStatus = refuseForeignOutput(settings))
        return outputStatus;
    if (int previewStatus = checkPreviewPaths(settings, description))
        return previewStatus;
    if (int imageStatus =
            runImagePhase(description, settings, &images, &iconStrips, &*secondThread))
        return imageStatus;
    // The quick form has read the boot loader file already.
    if (int readStatus = bootLoader ? 0 : readBootloaderFile(settings, &bootLoader))
        return readStatus;
    if (int saveStatus =
            runBootloaderPhase(settings, description, images, iconStrips, &*bootLoader, &*secondThread, &pack))
        return saveStatus;
    return runPreviewPhase(settings, pack);
}

int dawnmarkRun_t::ReadDescription()
{
    FILE *input = fopen(settings.splashFile, "r");
    if (input == nullptr) {
        perror(settings.splashFile);
        return 1;
    }
    const int status = runDescriptionPhase(input, &description);
    fclose(input);
    return status;
}

int dawnmarkRun_t::ReadQuickForm()
{
    if (int status = readBootloaderFile(settings, &bootLoader))
        return status;
    return runQuickFormPhase(settings, *bootLoader, &description);
}

int runDawnmark(int argc, char **argv)
{
    dawnmarkRun_t run;
    return run.Run(argc, argv);
}
