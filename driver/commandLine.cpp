#include <cstdio>
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
enum : int { optDither = 256, optAlpha, optFullPalette, optPreview, optPreviewLit };

const option longOptions[] = {
    {"dither", no_argument, nullptr, optDither},
    {"alpha", no_argument, nullptr, optAlpha},
    {"full-palette", no_argument, nullptr, optFullPalette},
    {"preview", required_argument, nullptr, optPreview},
    {"preview-lit", required_argument, nullptr, optPreviewLit},
    {nullptr, 0, nullptr, 0},
};

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
        default:
            return usage();
        }
    }
    if (optind >= argc)
        return usage();
    // Further operands are ignored.
    settings->splashFile = argv[optind];
    return 0;
}
