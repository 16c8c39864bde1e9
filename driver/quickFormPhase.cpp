#include <cstdio>
#include <string>

#include "bootfile/littleEndian.h"
#include "diagnostics/traceMsg.h"
#include "driver/run.h"

namespace {

/// The description text: the boot loader's screen (or --screen, at the
/// boot loader's depth), its strip where it is, and the photo covering the
/// screen (around --focus) or, with --fit, within it.
std::string quickDescription(const runSettings_t &settings, const zbeosIconPack_t &pack)
{
    const screenGeometry_t &own = pack.Screen();
    const uint32_t width = settings.screenWidth > 0 ? settings.screenWidth : own.width;
    const uint32_t height = settings.screenWidth > 0 ? settings.screenHeight : own.height;
    // The strip's record starts with its width, height, x and y.
    const unsigned char *strip = pack.Icons().data();
    char lines[200];
    snprintf(lines, sizeof lines,
             "# made for Dawnmark --full-palette --dither --alpha\n"
             "screen %u %u %u\n"
             "icons at %u %u\n",
             width, height, own.depth, getLE32(strip + 8), getLE32(strip + 12));
    char size[80];
    snprintf(size, sizeof size, " at 0 0 %s %u %u", settings.fit ? "within" : "covering", width, height);
    std::string image = "image \"" + std::string(settings.picture) + "\"" + size;
    if (settings.focus)
        image += " focus " + std::to_string(settings.focus->first) + " " + std::to_string(settings.focus->second);
    return lines + image + "\n";
}

} // namespace

int runQuickFormPhase(const runSettings_t &settings, const zbeos_t &zbeos, splashDescription_t *description)
{
    const std::string text = quickDescription(settings, zbeos.IconPack());
    // As it stands, so that it can be copied into a file and edited.
    TRACE(1, "The description of this run:\n%s\n", text.c_str());
    FILE *input = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
    if (input == nullptr) {
        perror("fmemopen");
        return 1;
    }
    const int status = runDescriptionPhase(input, description);
    fclose(input);
    return status;
}
