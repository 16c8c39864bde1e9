#include "inspect/inspectCommand.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "diagnostics/copyrightNotice.h"
#include "diagnostics/errors.h"
#include "inspect/extract.h"
#include "inspect/inspection.h"
#include "inspect/pngWriter.h"
#include "inspect/preview.h"
#include "inspect/report.h"

namespace {

const char *const programName = "Dawnmark-inspect";

const char *const helpText =
    "Usage: Dawnmark-inspect [OPTION]... FILE\n"
    "Check a BeOS boot loader file and show the boot splash inside it.\n"
    "\n"
    "Prints the file's sections, the splash member's header and trailer, the\n"
    "screen record, how many palette entries the pixels use, and every entry\n"
    "of the splash's icon pack.\n"
    "\n"
    "  -x, --extract=DIR    write the icon strip, every image and the OffIcons\n"
    "                       image as PNG files, and splash.txt describing them,\n"
    "                       into DIR (created if missing)\n"
    "  -p, --preview=FILE   write the boot screen as an RGB PNG file\n"
    "  -l, --lit            show the icon strip lit in the preview, not unlit\n"
    "  -f, --force          replace output files that exist already\n"
    "  -h, --help           display this help and exit\n"
    "  -V, --version        output version information and exit\n"
    "\n"
    "Exit status:\n"
    " 0  the file is sound and every output asked for was written\n"
    " 1  the file cannot be read, is not a boot loader file or is damaged,\n"
    "    or an output file cannot be written\n"
    " 2  bad command line\n";

const char *const versionText = "Dawnmark-inspect (Dawnmark) " DAWNMARK_VERSION "\n";

struct inspectOptions_t {
    const char *file = nullptr;
    const char *extractDirectory = nullptr;
    const char *previewFile = nullptr;
    bool lit = false;
    bool force = false;
};

[[noreturn]] void badUsage(const std::string &message)
{
    fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", programName, message.c_str(),
            programName);
    exit(inspectUsage);
}

inspectOptions_t parseOptions(int argc, char **argv)
{
    static const option longOptions[] = {
        {"extract", required_argument, nullptr, 'x'}, {"preview", required_argument, nullptr, 'p'},
        {"lit", no_argument, nullptr, 'l'},           {"force", no_argument, nullptr, 'f'},
        {"help", no_argument, nullptr, 'h'},          {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    inspectOptions_t options;
    opterr = 0;
    int option;
    while ((option = getopt_long(argc, argv, ":x:p:lfhV", longOptions, nullptr)) != -1) {
        switch (option) {
        case 'x':
            options.extractDirectory = optarg;
            break;
        case 'p':
            options.previewFile = optarg;
            break;
        case 'l':
            options.lit = true;
            break;
        case 'f':
            options.force = true;
            break;
        case 'h':
            fputs(helpText, stdout);
            exit(inspectSound);
        case 'V':
            fputs(versionText, stdout);
            fputs(copyrightNotice, stdout);
            exit(inspectSound);
        case ':':
            if (strncmp(argv[optind - 1], "--", 2) == 0)
                badUsage(std::string("option '") + argv[optind - 1] + "' requires an argument");
            badUsage(std::string("option requires an argument -- '") + char(optopt) + "'");
        default:
            if (optopt == 0)
                badUsage(std::string("unrecognized option '") + argv[optind - 1] + "'");
            badUsage(std::string("invalid option -- '") + char(optopt) + "'");
        }
    }
    if (optind == argc)
        badUsage("missing FILE operand");
    if (optind + 1 < argc)
        badUsage(std::string("extra operand '") + argv[optind + 1] + "'");
    if (options.lit && options.previewFile == nullptr)
        badUsage("--lit needs --preview");
    options.file = argv[optind];
    return options;
}

// Reports come after everything printed so far.
void reportError(const dawnmarkError_t &error)
{
    fflush(stdout);
    error.report();
}

// The output path, if any, that is the inspected file itself under another
// name, through a link, or the same name: writing it would destroy the very
// file the user asked to have checked.
std::string outputOverInspected(const inspection_t &inspection, const inspectOptions_t &options)
{
    struct stat inspected;
    if (stat(options.file, &inspected) != 0)
        return "";
    std::vector<std::string> outputs;
    if (options.extractDirectory != nullptr)
        outputs = extractedPaths(inspection, options.extractDirectory);
    if (options.previewFile != nullptr)
        outputs.push_back(options.previewFile);
    for (const std::string &output : outputs) {
        struct stat status;
        if (stat(output.c_str(), &status) == 0 && status.st_dev == inspected.st_dev &&
            status.st_ino == inspected.st_ino)
            return output;
    }
    return "";
}

// Each output is attempted even when another failed: a damaged file's
// artwork is still worth saving.
int writeOutputs(const inspection_t &inspection, const inspectOptions_t &options)
{
    // Checked for every output before the first is written, so a refusal
    // writes nothing at all.
    const std::string clash = outputOverInspected(inspection, options);
    if (!clash.empty()) {
        reportError(dawnmarkError_t{clash, "is the boot loader file being inspected; it is never overwritten"});
        return inspectDamaged;
    }
    int status = inspectSound;
    if (options.extractDirectory != nullptr) {
        try {
            for (const std::string &line : extractImages(inspection, options.extractDirectory, options.force))
                printf("%s\n", line.c_str());
        } catch (const dawnmarkError_t &error) {
            reportError(error);
            status = inspectDamaged;
        }
    }
    if (options.previewFile != nullptr) {
        try {
            packPreview_t canvas;
            try {
                canvas = renderPreview(inspection, options.lit);
            } catch (const dawnmarkError_t &error) {
                throw dawnmarkError_t(options.previewFile, error.reason.value_or(""));
            }
            writePreviewPng(options.previewFile, canvas.width, canvas.height, canvas.rgb.data(), options.force);
            printf("wrote %s (preview, %u x %u, icons %s)\n", options.previewFile, unsigned(canvas.width),
                   unsigned(canvas.height), options.lit ? "lit" : "unlit");
        } catch (const dawnmarkError_t &error) {
            reportError(error);
            status = inspectDamaged;
        }
    }
    return status;
}

} // namespace

int runInspect(int argc, char **argv)
{
    const inspectOptions_t options = parseOptions(argc, argv);
    inspection_t inspection;
    try {
        inspection = inspectZbeos(options.file);
    } catch (const dawnmarkError_t &error) {
        reportError(error);
        return inspectDamaged;
    }
    fputs(formatReport(inspection).c_str(), stdout);

    int status = inspectSound;
    for (const std::string &reason : inspection.damage) {
        reportError(dawnmarkError_t{inspection.path, reason});
        status = inspectDamaged;
    }
    if (options.extractDirectory != nullptr || options.previewFile != nullptr) {
        printf("\n");
        if (writeOutputs(inspection, options) != inspectSound)
            status = inspectDamaged;
    }
    fflush(stdout);
    return status;
}
