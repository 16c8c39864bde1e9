#include "referenceDecoders_support.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include "support/runTool.h"
#include "support/scratch.h"

namespace {

const char *const kWallpaper = "/usr/share/desktop-base/softwaves-theme/grub/grub-4x3.png";

void writeCrops()
{
    const decodedFile_t wallpaper = decodeFile(kWallpaper);
    ASSERT_EQ(wallpaper.refusedBy, refusedBy_t::nothing) << wallpaper.reason;
    rgbaImage_t crop{96, 64, {}};
    pngSpec_t deep{96, 64, PNG_COLOR_TYPE_RGB, 16, false, {}, {}, {}};
    for (uint32_t r = 0; r < crop.height; ++r)
        for (uint32_t c = 0; c < crop.width; ++c) {
            const uint8_t *bgra = &wallpaper.bitmap.pixels[((r + 300) * wallpaper.bitmap.width + c + 200) * 4];
            crop.rgba.insert(crop.rgba.end(), {bgra[2], bgra[1], bgra[0], uint8_t(c * 255 / 95)});
            for (int k : {2, 1, 0})
                deep.samples.push_back(uint16_t(bgra[k] << 8 | ((r * 7 + c * 3 + k) & 255)));
        }
    writeScratchFile("photo-alpha.png", encodePng(crop, true));
    writeScratchFile("photo.png", encodePng(crop, false));
    writeScratchFile("photo16.png", encodePng(deep));
}

} // namespace

bool referenceToolsPresent(const std::vector<std::string> &tools)
{
    std::string missing = access(kWallpaper, R_OK) == 0 ? "" : kWallpaper;
    for (const std::string &tool : tools)
        if (access(("/usr/bin/" + tool).c_str(), X_OK) != 0)
            missing += " /usr/bin/" + tool;
    if (missing.empty())
        return true;
    const char *ci = std::getenv("CI");
    EXPECT_FALSE(ci != nullptr && std::string(ci) == "true") << "missing (tools/setup.sh installs it):" << missing;
    return false;
}

std::string photoPath(const std::string &name)
{
    static const bool written = (writeCrops(), true);
    (void)written;
    return scratchDirectory() + "/" + name;
}

bool runPhotoTool(std::vector<std::string> command)
{
    const std::string program = "/usr/bin/" + command.front();
    command.erase(command.begin());
    for (std::string &argument : command)
        if (argument.find('.') != std::string::npos && argument[0] != '-')
            argument = photoPath(argument);
    const ToolRun run = runTool(program, command);
    EXPECT_EQ(run.status, 0) << program << ": " << run.err;
    return run.status == 0;
}

void expectAsReference(const std::string &made, const std::vector<std::string> &reference)
{
    ASSERT_TRUE(runPhotoTool(reference));
    const decodedFile_t expected = decodeFile(photoPath("reference.png").c_str());
    const decodedFile_t decoded = decodeFile(photoPath(made).c_str());
    ASSERT_EQ(decoded.refusedBy, refusedBy_t::nothing) << decoded.reason;
    EXPECT_EQ(decoded.bitmap.width, expected.bitmap.width);
    EXPECT_EQ(decoded.bitmap.height, expected.bitmap.height);
    EXPECT_EQ(decoded.bitmap.alpha, expected.bitmap.alpha);
    EXPECT_TRUE(decoded.bitmap.pixels == expected.bitmap.pixels);
}
