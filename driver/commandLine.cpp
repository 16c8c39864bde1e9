#include <cstdio>
#include <cstdlib>
#include <getopt.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "base/bootScreen.h"
#include "driver/run.h"
#include "diagnostics/copyrightNotice.h"
#include "diagnostics/traceMsg.h"

namespace {

// Codes past any character, so that no short option can stand for them.
enum : int {
    optDither = 256,
    optAlpha,
    optFullPalette,
    optPreview,
    optPreviewLit,
    optBackup,
    optHelp,
    optPicture,
    optScreen,
    optFit,
    optSmooth,
    optVersion,
    optFocus,
};

/// One option: what getopt_long is told of it and its line in --help.
struct optionEntry_t {
    const char *longName; ///< null for a short option
    int code;             ///< the short option's letter, or one of the codes above
    const char *argument; ///< the name --help gives its argument; null when it takes none
    const char *meaning;
};

const std::string fullPaletteMeaning =
    "use all " + std::to_string(kSplashColors) + " colours, each fitted to its pixels";

const optionEntry_t optionTable[] = {
    {nullptr, 'z', "path", "the boot loader file to read (default /system/zbeos)"},
    {nullptr, 'o', "path", "the new boot loader file to write (default ./newZbeos)"},
    {nullptr, 'v', nullptr, "more detail; repeat for even more"},
    {"dither", optDither, nullptr, "error diffusion: smooth gradients instead of bands"},
    {"alpha", optAlpha, nullptr, "lay images with transparency over what lies beneath"},
    {"full-palette", optFullPalette, nullptr, fullPaletteMeaning.c_str()},
    {"preview", optPreview, "FILE.png", "after saving, write the boot screen, icons unlit"},
    {"preview-lit", optPreviewLit, "FILE.png", "the same with the icon strip lit"},
    {"backup", optBackup, nullptr, "keep the file the output replaces as OUTPUT.old"},
    {"smooth", optSmooth, nullptr, "'resized to' filters instead of taking every n-th pixel"},
    {"picture", optPicture, "PHOTO", "no description: PHOTO covers the boot loader's screen"},
    {"screen", optScreen, "WIDTHxHEIGHT", "with --picture: the screen's size instead of the boot loader's"},
    {"fit", optFit, nullptr, "with --picture: the whole photo, centred on black"},
    {"focus", optFocus, "X%,Y%", "with --picture: the point of the photo kept nearest the centre"},
    {"help", optHelp, nullptr, "print this list of options and stop"},
    {"version", optVersion, nullptr, "print the version and stop"},
};

const char *const versionText = "Dawnmark " DAWNMARK_VERSION "\n";

const char *const helpExample = "Example: Dawnmark -z zbeos.old -o newZbeos --backup --preview look.png my.splash\n";

/// An option's line in the lists: its synopsis, then what it does.
void printOption(FILE *stream, const optionEntry_t &entry)
{
    std::string synopsis =
        entry.longName != nullptr ? std::string("--") + entry.longName : std::string("-") + char(entry.code);
    if (entry.argument != nullptr)
        synopsis += std::string(" ") + entry.argument;
    fprintf(stream, "  %-24s%s\n", synopsis.c_str(), entry.meaning);
}

void printHelp()
{
    printf("Usage: Dawnmark [OPTION]... splashFile\n"
           "       Dawnmark [OPTION]... --picture PHOTO\n");
    for (const optionEntry_t &entry : optionTable)
        printOption(stdout, entry);
    printf("%s", helpExample);
}

/// The usage text, then the options beyond the original three, which its
/// text does not know: given after a mistake made with one of them, while
/// the original options' mistakes keep the original text alone.
int usageWithLongOptions()
{
    usage();
    for (const optionEntry_t &entry : optionTable)
        if (entry.longName != nullptr)
            printOption(stderr, entry);
    return 1;
}

/// Says on its own line what was wrong with an option or form, then gives
/// the usage text; returns its status.
int refuse(const std::string &complaint)
{
    fprintf(stderr, "Dawnmark: %s\n", complaint.c_str());
    return usageWithLongOptions();
}

/// What a long option that getopt refused takes, when it takes a value:
/// getopt has named the option, not the value it needs. `code` is the
/// refused option's: 0 for a long option getopt does not know.
int refuseOption(int code)
{
    for (const optionEntry_t &entry : optionTable)
        if (entry.code == code && entry.longName != nullptr && entry.argument != nullptr)
            return refuse(std::string("--") + entry.longName + " takes " + entry.argument);
    const bool longOption = code == 0 || code > 255;
    return longOption ? usageWithLongOptions() : usage();
}

/// One side of WIDTHxHEIGHT: a decimal number from 1 to the longest side the
/// filter reaches, ending where `end` points.
bool parseSide(const char *text, char **end, uint32_t *side)
{
    if (*text < '0' || *text > '9')
        return false;
    const unsigned long value = strtoul(text, end, 10);
    *side = uint32_t(value);
    return value >= 1 && value <= kLongestSide;
}

/// WIDTHxHEIGHT, and nothing after it.
bool parseScreen(const char *text, runSettings_t *settings)
{
    char *end = nullptr;
    return parseSide(text, &end, &settings->screenWidth) && *end == 'x' &&
           parseSide(end + 1, &end, &settings->screenHeight) && *end == '\0';
}

/// One coordinate of X%,Y%: a percentage from 0 to 100, its sign optional.
bool parsePercent(const char *text, char **end, uint32_t *percent)
{
    if (*text < '0' || *text > '9')
        return false;
    const unsigned long value = strtoul(text, end, 10);
    *percent = uint32_t(value);
    if (**end == '%')
        ++*end;
    return value <= 100;
}

/// X%,Y%, and nothing after it.
bool parseFocus(const char *text, runSettings_t *settings)
{
    char *end = nullptr;
    std::pair<uint32_t, uint32_t> focus;
    if (!parsePercent(text, &end, &focus.first) || *end != ',' || !parsePercent(end + 1, &end, &focus.second) ||
        *end != '\0')
        return false;
    settings->focus = focus;
    return true;
}

} // namespace

int usage()
{
    fprintf(stderr,
            "\nusage: Dawnmark [-v] [-z pathToZbeos] [-o output] splashFile\n\n"
            "\t-v     \t\tverbose mode\n"
            "\t-z path\t\tpath to original zbeos, defaults to '/system/zbeos'\n"
            "\t-o path\t\toutput path, defaults to './newZbeos'\n\n");
    return 1;
}

std::optional<int> parseCommandLine(int argc, char **argv, runSettings_t *settings)
{
    std::string shortOptions;
    std::vector<option> longOptions;
    for (const optionEntry_t &entry : optionTable) {
        const int argument = entry.argument != nullptr ? required_argument : no_argument;
        if (entry.longName != nullptr)
            longOptions.push_back({entry.longName, argument, nullptr, entry.code});
        else
            shortOptions += std::string(1, char(entry.code)) + (argument == required_argument ? ":" : "");
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});

    int option;
    while ((option = getopt_long(argc, argv, shortOptions.c_str(), longOptions.data(), nullptr)) != -1) {
        switch (option) {
        // The arguments live as long as the process: no copy to lose when a
        // later option of the same kind replaces an earlier one.
        case 'z':
            settings->pathToZbeos = optarg;
            settings->zbeosNamed = true;
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
        case optBackup:
            settings->backup = true;
            break;
        case optHelp:
            printHelp();
            return 0;
        case optVersion:
            printf("%s%s", versionText, copyrightNotice);
            return 0;
        case optPicture:
            settings->picture = optarg;
            break;
        case optScreen:
            if (!parseScreen(optarg, settings))
                return refuse("--screen takes WIDTHxHEIGHT, each side 1 to " + std::to_string(kLongestSide) + ", not " + optarg);
            break;
        case optFit:
            settings->fit = true;
            break;
        case optSmooth:
            settings->smooth = true;
            break;
        case optFocus:
            if (!parseFocus(optarg, settings))
                return refuse(std::string("--focus takes X%,Y%, each 0 to 100, not ") + optarg);
            break;
        default:
            return refuseOption(optopt);
        }
    }
    if (settings->picture != nullptr) {
        // The picture stands for the description: there is none to name. A
        // whole photo has nothing cut for a focus to choose.
        if (optind < argc)
            return refuse(std::string("--picture PHOTO takes the place of splashFile; drop ") + argv[optind]);
        if (settings->fit && settings->focus)
            return refuse("--focus chooses what a cut keeps; --fit cuts nothing");
        settings->render.fullPalette = settings->render.dither = settings->render.alpha = true;
        return std::nullopt;
    }
    // The screen and the whole photo are the quick form's choices.
    if (settings->screenWidth > 0 || settings->fit || settings->focus)
        return refuse(std::string(settings->fit ? "--fit" : settings->focus ? "--focus" : "--screen") +
                      " needs --picture PHOTO");
    if (optind >= argc)
        return usage();
    // Further operands are ignored.
    settings->splashFile = argv[optind];
    return std::nullopt;
}
