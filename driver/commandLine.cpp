#include <cstdio>
#include <cstdlib>
#include <getopt.h>
#include <unistd.h>

#include "driver/run.h"
#include "diagnostics/traceMsg.h"

int usage()
{
    fprintf(stderr,
            "\nusage: Dawnmark [-v] [-z pathToZbeos] [-o output] splashFile\n\n"
            "\t-v     \t\tverbose mode\n"
            "\t-z path\t\tpath to original zbeos, defaults to '/system/zbeos'\n"
            "\t-o path\t\toutput path, defaults to './newZbeos'\n\n");
    return 1;
}

namespace {

// Codes past any character, so that no short option can stand for them.
enum : int {
    optDither = 256,
    optAlpha,
    optFullPalette,
    optPreview,
    optPreviewLit,
    optPicture,
    optScreen,
    optFit,
    optSmooth,
};

const option longOptions[] = {
    {"dither", no_argument, nullptr, optDither},
    {"alpha", no_argument, nullptr, optAlpha},
    {"full-palette", no_argument, nullptr, optFullPalette},
    {"preview", required_argument, nullptr, optPreview},
    {"preview-lit", required_argument, nullptr, optPreviewLit},
    {"picture", required_argument, nullptr, optPicture},
    {"screen", required_argument, nullptr, optScreen},
    {"fit", no_argument, nullptr, optFit},
    {"smooth", no_argument, nullptr, optSmooth},
    {nullptr, 0, nullptr, 0},
};

/// One side of WIDTHxHEIGHT: a decimal number from 1 to 32767 (the longest
/// side the filter reaches), ending where `end` points.
bool parseSide(const char *text, char **end, uint32_t *side)
{
    if (*text < '0' || *text > '9')
        return false;
    const unsigned long value = strtoul(text, end, 10);
    *side = uint32_t(value);
    return value >= 1 && value <= 32767;
}

/// WIDTHxHEIGHT, and nothing after it.
bool parseScreen(const char *text, runSettings_t *settings)
{
    char *end = nullptr;
    return parseSide(text, &end, &settings->screenWidth) && *end == 'x' &&
           parseSide(end + 1, &end, &settings->screenHeight) && *end == '\0';
}

} // namespace

int parseCommandLine(int argc, char **argv, runSettings_t *settings)
{
    int option;
    while ((option = getopt_long(argc, argv, "z:o:v", longOptions, nullptr)) != -1) {
        switch (option) {
        // The arguments live as long as the process: no copy to lose when a
        // later option of the same kind replaces an earlier one.
        case 'z':
            settings->pathToZbeos = optarg;
            break;
        case 'o':
            settings->output = optarg;
            break;
        case 'v':
            TRACE_inclevel();
            break;
        case optDither:
            settings->render.dither = true;
            break;
        case optAlpha:
            settings->render.alpha = true;
            break;
        case optFullPalette:
            settings->render.fullPalette = true;
            break;
        case optPreview:
            settings->preview = optarg;
            break;
        case optPreviewLit:
            settings->previewLit = optarg;
            break;
        case optPicture:
            settings->picture = optarg;
            break;
        case optScreen:
            if (!parseScreen(optarg, settings))
                return usage();
            break;
        case optFit:
            settings->fit = true;
            break;
        case optSmooth:
            settings->smooth = true;
            break;
        default:
            return usage();
        }
    }
    if (settings->picture != nullptr) {
        // The picture stands for the description: there is none to name.
        if (optind < argc)
            return usage();
        settings->render.fullPalette = settings->render.dither = settings->render.alpha = true;
        return 0;
    }
    // The screen and the whole photo are the quick form's choices.
    if (optind >= argc || settings->screenWidth > 0 || settings->fit)
        return usage();
    // Further operands are ignored.
    settings->splashFile = argv[optind];
    return 0;
}
