#include "inspect/preview.h"

#include <algorithm>

#include "inspect/inspectError.h"

namespace {

void draw(std::vector<uint8_t> &canvas, uint32_t canvasWidth, uint32_t canvasHeight,
          const packRecord_t &record, const uint8_t *palette)
{
    if (record.pixels == nullptr || record.x >= canvasWidth || record.y >= canvasHeight)
        return;
    const uint32_t columns = std::min(record.width, canvasWidth - record.x);
    const uint32_t rows = std::min(record.height, canvasHeight - record.y);
    for (uint32_t row = 0; row < rows; ++row) {
        const uint8_t *source = record.pixels + uint64_t(row) * record.width;
        uint8_t *target = canvas.data() + 3 * (uint64_t(record.y + row) * canvasWidth + record.x);
        for (uint32_t column = 0; column < columns; ++column) {
            const uint8_t *colour = palette + 3 * source[column];
            std::copy(colour, colour + 3, target + 3 * column);
        }
    }
}

} // namespace

std::vector<uint8_t> renderPreview(const inspection_t &inspection, bool lit)
{
    if (!inspection.hasScreen)
        throw inspectError_t{"preview", "the screen record is damaged, there is no screen to render"};
    const uint32_t width = inspection.screen.width, height = inspection.screen.height;
    if (width == 0 || height == 0 || width > previewMaxSide || height > previewMaxSide)
        throw inspectError_t{"preview", "the screen record's size is empty or larger than 4096 pixels a side"};

    std::vector<uint8_t> canvas(3 * uint64_t(width) * height, 0);
    const uint8_t *palette = inspection.parsed->palette;
    const packRecord_t *strip = nullptr;
    for (const directoryEntry_t &entry : inspection.directory) {
        if (entry.kind == entryKind_t::iconStrip)
            strip = &entry.record;
        else if (entry.kind == entryKind_t::image || entry.kind == entryKind_t::offIcons)
            draw(canvas, width, height, entry.record, palette);
    }
    if (lit && strip != nullptr)
        draw(canvas, width, height, *strip, palette);
    return canvas;
}
