#include <cstdio>
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

int parseCommandLine(int argc, char **argv, runSettings_t *settings)
{
    int option;
    while ((option = getopt(argc, argv, "z:o:v")) != -1) {
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
