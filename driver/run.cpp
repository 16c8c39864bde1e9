#include <cstdio>
#include <cstdlib>

#include "driver/run.h"
#include "platform/Application.h"

int runDawnmark(int argc, char **argv)
{
    // Lives for the whole process; its message loop never runs.
    static BApplication application("application/x-vnd.Tolvane.Dawnmark");
    (void)application;

    runSettings_t settings = {"/system/zbeos", "./newZbeos", nullptr};
    printBanner();
    parseCommandLine(argc, argv, &settings);

    FILE *input = fopen(settings.splashFile, "r");
    if (input == nullptr) {
        perror(settings.splashFile);
        exit(1);
    }

    // Held in static storage: the record lives until the process ends, and
    // so do the images (see runImagePhase).
    static splashDescription_t description;
    if (int status = runDescriptionPhase(input, &description))
        return status;
    loadedImage_t **images = runImagePhase(&description);
    return runBootloaderPhase(&settings, &description, images);
}
