#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "diagnostics/traceMsg.h"
#include "driver/run.h"

namespace {

/// Where the strip goes on a screen of width x height chosen instead of the
/// boot loader's own: its centre at the same fraction of the width, its
/// bottom edge as far from the screen's bottom, kept inside the screen.
packPicture_t stripOnScreen(packPicture_t strip, const screenGeometry_t &own, uint32_t width, uint32_t height)
{
    const double centre = (strip.x + strip.width / 2.0) * width / own.width;
    const int64_t fromBottom = int64_t(own.height) - strip.y - strip.height;
    const auto inside = [](int64_t place, uint32_t side, uint32_t room) {
        return uint32_t(side >= room ? 0 : std::clamp<int64_t>(place, 0, room - side));
    };
    strip.x = inside(std::llround(centre - strip.width / 2.0), strip.width, width);
    strip.y = inside(int64_t(height) - strip.height - fromBottom, strip.height, height);
    return strip;
}

/// The description text: the boot loader's own screen (or --screen, at the
/// boot loader's depth), its strip where it is (moved with the screen), and
/// the photo covering the screen (around --focus) or, with --fit, within it.
std::string quickDescription(const runSettings_t &settings, const zbeosIconPack_t &pack)
{
    const screenGeometry_t &own = pack.OwnScreen();
    packPicture_t strip = pack.Strip();
    uint32_t width = own.width, height = own.height;
    if (settings.screenWidth > 0) {
        width = settings.screenWidth;
        height = settings.screenHeight;
        strip = stripOnScreen(strip, own, width, height);
    }
    char lines[200];
    snprintf(lines, sizeof lines,
             "# made for Dawnmark --full-palette --dither --alpha\n"
             "screen %u %u %u\n"
             "icons at %u %u\n",
             width, height, own.depth, strip.x, strip.y);
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
