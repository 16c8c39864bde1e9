#include "bootfile/packPreview.h"

#include <algorithm>

#include "bootfile/packDirectory.h"
#include "diagnostics/errors.h"

namespace {

const char *const outsidePack = "directory points outside the pack";

void draw(packPreview_t &canvas, const unsigned char *record, uint64_t length,
          const unsigned char *palette)
{
    if (!packRecordIsWhole(length, record))
        return;
    const packPicture_t header = readRecordHeader(record);
    const uint32_t width = header.width, height = header.height, x = header.x, y = header.y;
    if (x >= canvas.width || y >= canvas.height)
        return;
    const uint32_t columns = std::min(width, canvas.width - x);
    const uint32_t rows = std::min(height, canvas.height - y);
    for (uint32_t row = 0; row < rows; ++row) {
        const unsigned char *source = record + packRecordHeaderSize + uint64_t(row) * width;
        uint8_t *target = canvas.rgb.data() + 3 * (uint64_t(y + row) * canvas.width + x);
        for (uint32_t column = 0; column < columns; ++column) {
            const unsigned char *colour = palette + 3 * source[column];
            std::copy(colour, colour + 3, target + 3 * column);
        }
    }
}

} // namespace

packPreview_t renderPackPreview(const unsigned char *pack, uint64_t length, bool lit,
                                const char *subject)
{
    const packDirectory_t directory(pack, length);
    // A pack too short for its first entry is refused as any directory
    // that leaves the pack.
    directory.Entry(packScreenSlot, outsidePack);
    screenGeometry_t screen{};
    if (!directory.Screen(&screen))
        throw dawnmarkError_t(subject, "the screen record is damaged, there is no screen to render");
    packPreview_t canvas{screen.width, screen.height, {}};
    if (canvas.width == 0 || canvas.height == 0 || canvas.width > previewMaxSide ||
        canvas.height > previewMaxSide)
        throw dawnmarkError_t(subject, "the screen record's size is empty or larger than 4096 pixels a side");

    const packEntry_t paletteEntry = directory.Entry(packPaletteSlot, outsidePack);
    if (paletteEntry.length != packPaletteSize)
        throw dawnmarkError_t("load_images", "palette seems to be corrupted");
    const unsigned char *palette = directory.Area(paletteEntry, outsidePack);

    canvas.rgb.assign(3 * uint64_t(canvas.width) * canvas.height, 0);
    directory.WalkImages(outsidePack, [&](uint64_t, const packEntry_t &entry, const unsigned char *area) {
        draw(canvas, area, entry.length, palette);
    });
    if (lit) {
        const packEntry_t strip = directory.Entry(packIconsSlot, outsidePack);
        if (directory.Holds(strip))
            draw(canvas, directory.Area(strip, outsidePack), strip.length, palette);
    }
    return canvas;
}
