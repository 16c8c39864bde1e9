#include "referenceDecoders_support.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include "support/files.h"
#include "support/runTool.h"
#include "support/scratch.h"

namespace {

const char *const kWallpaper = "/usr/share/desktop-base/softwaves-theme/grub/grub-4x3.png";

bool writeCrops()
{
    const decodedBitmap_t wallpaper = decodeFile(kWallpaper).bitmap;
    rgbaImage_t crop{96, 64, {}};
    pngSpec_t deep{96, 64, PNG_COLOR_TYPE_RGB, 16, false, {}, {}, {}};
    for (uint32_t r = 0; r < crop.height && !wallpaper.pixels.empty(); ++r)
        for (uint32_t c = 0; c < crop.width; ++c) {
            const uint8_t *bgra = &wallpaper.pixels[((r + 300) * wallpaper.width + c + 200) * 4];
            crop.rgba.insert(crop.rgba.end(), {bgra[2], bgra[1], bgra[0], uint8_t(c * 255 / 95)});
            for (int k : {2, 1, 0})
                deep.samples.push_back(uint16_t(bgra[k] << 8 | ((r * 7 + c * 3 + k) & 255)));
        }
    return !writeScratchFile("photo-alpha.png", encodePng(crop, true)).empty() &&
           !writeScratchFile("photo.png", encodePng(crop, false)).empty() &&
           !writeScratchFile("photo16.png", encodePng(deep)).empty();
}

} // namespace

bool referenceToolsPresent(const command_t &tools)
{
    std::string missing = access(kWallpaper, R_OK) == 0 ? "" : kWallpaper;
    for (const std::string &tool : tools)
        if (access(("/usr/bin/" + tool).c_str(), X_OK) != 0)
            missing += " /usr/bin/" + tool;
    const char *ci = std::getenv("CI");
    EXPECT_TRUE(missing.empty() || ci == nullptr || std::string(ci) != "true") << "missing:" << missing;
    return missing.empty();
}

bytes_t madeBy(const command_t &command)
{
    static const bool written = writeCrops();
    const ToolRun run = runTool("/usr/bin/" + command[0], {command.begin() + 1, command.end()}, scratchDirectory());
    EXPECT_TRUE(written && run.status == 0) << command[0] << ": " << run.err;
    return readBytes(scratchDirectory() + "/" + command.back());
}

void expectAsReference(const std::vector<command_t> &encodings, const command_t &reference,
                       const std::string &cutReason)
{
    for (const command_t &encoding : encodings) {
        SCOPED_TRACE(encoding.back());
        const bytes_t file = madeBy(encoding);
        expectRefused({"cut short", cut(file, file.size() * 9 / 10), cutReason});
        command_t decoding = reference;
        std::replace(decoding.begin(), decoding.end(), std::string("FILE"), encoding.back());
        const decodedBitmap_t expected = decodeBytes(madeBy(decoding)).bitmap, decoded = decodeBytes(file).bitmap;
        EXPECT_TRUE(decoded.width == expected.width && decoded.alpha == expected.alpha &&
                    decoded.pixels == expected.pixels && !decoded.pixels.empty());
    }
}
