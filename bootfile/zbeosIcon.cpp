#include "bootfile/zbeosIcon.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <memory>

#include "bootfile/littleEndian.h"
#include "bootfile/packDirectory.h"
#include "diagnostics/traceStep.h"
#include "diagnostics/errors.h"
#include "imaging/alphaCompose.h"
#include "imaging/dither.h"
#include "imaging/fullPalette.h"
#include "imaging/mixImages.h"
#include "imaging/palette.h"
#include "imaging/quantize.h"

namespace {

const char *const packSubject = "load_images";
const char *const paletteCorrupted = "palette seems to be corrupted";
const char *const iconsCorrupted = "icons seems to be corrupted";

const unsigned recordHeaderSize = packRecordHeaderSize;
const unsigned paletteSize = 768;
const unsigned keptPaletteBytes = 16 * 3;
const unsigned canvasWidth = 640;
const unsigned canvasHeight = 480;
const unsigned chosenColors = 224;

// The icon strip and OffIcons records are written back whole, so their
// areas must hold all the pixels their headers announce.
void requireWholeRecord(const packEntry_t &entry, const unsigned char *area)
{
    if (!packRecordIsWhole(entry.length, area))
        throw cagada_t(packSubject, iconsCorrupted);
}

} // namespace

zbeosIconPack_t::zbeosIconPack_t(const unsigned char *pack, unsigned length)
    : screen{canvasWidth, canvasHeight, 8}, palette{}, offIconsSlot(0), imageCount(0), images{}
{
    traceStep_t titled(8, "Dissecting IconPack\n");

    packDirectory_t reader(pack, length);
    packEntry_t paletteEntry = reader.Entry(packPaletteSlot, paletteCorrupted);
    if (paletteEntry.length != paletteSize)
        throw cagada_t(packSubject, paletteCorrupted);
    memcpy(palette, reader.Area(paletteEntry, paletteCorrupted), paletteSize);

    packEntry_t iconEntry = reader.Entry(packIconsSlot, iconsCorrupted);
    if (iconEntry.length == 0)
        throw cagada_t(packSubject, iconsCorrupted);
    const unsigned char *iconArea = reader.Area(iconEntry, iconsCorrupted);
    requireWholeRecord(iconEntry, iconArea);
    icons.assign(iconArea, iconArea + iconEntry.length);

    uint64_t scanned = 0;
    packEntry_t offIconsEntry{0, 0};
    reader.WalkImages(iconsCorrupted, [&](uint64_t k, const packEntry_t &entry, const unsigned char *) {
        ++scanned;
        // The last record with the strip's size and place is the OffIcons one.
        // The header at the offset decides, whatever length the entry gives;
        // a short match is refused when it is copied.
        const unsigned char *header = reader.Area({recordHeaderSize, entry.offset}, iconsCorrupted);
        if (memcmp(header, icons.data(), recordHeaderSize) == 0) {
            offIconsSlot = uint32_t(k);
            offIconsEntry = entry;
        }
    });
    if (offIconsSlot == 0)
        throw cagada_t(packSubject, iconsCorrupted);

    TRACE(8, "found %d images\n", int(scanned));
    TRACE(8, "OffIcons at slot %d\n", int(offIconsSlot));

    const unsigned char *offIconsArea = pack + offIconsEntry.offset;
    requireWholeRecord(offIconsEntry, offIconsArea);
    offIcons.assign(offIconsArea, offIconsArea + offIconsEntry.length);
}

void zbeosIconPack_t::DefineScreen(unsigned width, unsigned height, unsigned depth)
{
    screen = {width, height, depth};
}

void zbeosIconPack_t::IconsAt(unsigned x, unsigned y)
{
    const uint64_t W = screen.width, H = screen.height;
    const uint64_t w = getLE32(icons.data()), h = getLE32(icons.data() + 4);
    uint64_t newX = x, newY = y;
    // A strip larger than the screen cannot end on its edge: it starts at 0.
    if (w > W) {
        newX = 0;
    } else {
        newX = newX > W ? W : newX;
        newX = newX + w > W ? W - w : newX;
    }
    if (h > H) {
        newY = 0;
    } else {
        newY = newY > H ? H : newY;
        newY = newY + h > H ? H - h : newY;
    }
    for (std::vector<uint8_t> *record : {&icons, &offIcons}) {
        putLE32(record->data() + 8, uint32_t(newX));
        putLE32(record->data() + 12, uint32_t(newY));
    }
}

void zbeosIconPack_t::AddImage(loadedImage_t *image)
{
    if (imageCount >= MAX_SPLASH_IMAGES)
        throw cagada_t("add_image", "image table full");
    images[imageCount++] = image;
}

uint64_t zbeosIconPack_t::SerializedSize() const
{
    const uint64_t directorySize = 8 * (uint64_t(imageCount) + 6);
    uint64_t packSize = directorySize + 12 + paletteSize + 2 * packRecordSize(icons.data());
    for (uint32_t i = 0; i < imageCount; ++i)
        packSize += recordHeaderSize + uint64_t(images[i]->width) * images[i]->height;
    // Every offset and length of the pack is 32 bits: refuse rather than wrap.
    if (packSize > UINT32_MAX)
        throw cagada_t("save_images", "icon pack too large");
    return packSize;
}

unsigned char *zbeosIconPack_t::Serialize(unsigned *length, const renderOptions_t &options) const
{
    const uint64_t packSize = SerializedSize();
    const uint64_t directorySize = 8 * (uint64_t(imageCount) + 6);
    const uint64_t iconBytes = packRecordSize(icons.data());

    // With alpha, the composed images take the place of the loaded ones:
    // they are what the palette is chosen for and what is stored.
    loadedImage_t *slots[MAX_SPLASH_IMAGES];
    std::copy(images, images + imageCount, slots);
    std::vector<ownedImage_t> composed;
    if (options.alpha)
        composeImages(slots, imageCount, &composed);
    ownedImage_t canvas(
        mixImages(slots, imageCount, canvasWidth, canvasHeight));
    std::unique_ptr<palette_t> chosen(options.fullPalette ? getFullPalette(canvas.get(), chosenColors)
                                                          : getOptimalPalette(canvas.get(), chosenColors));

    std::unique_ptr<unsigned char[]> pack(new unsigned char[packSize]());
    unsigned char *out = pack.get();
    uint64_t k = 0;
    uint64_t offset = directorySize;
    auto beginArea = [&](uint64_t areaLength) {
        putLE32(out + 8 * k, uint32_t(areaLength));
        putLE32(out + 8 * k + 4, uint32_t(offset));
        unsigned char *area = out + offset;
        offset += areaLength;
        ++k;
        return area;
    };

    unsigned char *screenRecord = beginArea(12);
    putLE32(screenRecord, screen.width);
    putLE32(screenRecord + 4, screen.height);
    putLE32(screenRecord + 8, screen.depth);

    // Entries 0 to 15 belong to the system; the new colours follow them.
    unsigned char *packPalette = beginArea(paletteSize);
    memcpy(packPalette, palette, keptPaletteBytes);
    for (unsigned j = 0; j < 256 - 16; ++j) {
        packPalette[keptPaletteBytes + 3 * j] = chosen->red[j];
        packPalette[keptPaletteBytes + 3 * j + 1] = chosen->green[j];
        packPalette[keptPaletteBytes + 3 * j + 2] = chosen->blue[j];
    }

    memcpy(beginArea(iconBytes), icons.data(), iconBytes);
    ++k; // entry 3 stays empty

    for (uint32_t i = 0; i < imageCount; ++i) {
        std::unique_ptr<quantizedImage_t, quantizedImageRelease_t> image(
            options.dither ? ditherImage(slots[i], chosen.get()) : quantizeImage(slots[i], chosen.get()));
        assert(image->width == images[i]->width && image->height == images[i]->height);
        const uint64_t pixelCount = uint64_t(image->width) * image->height;
        unsigned char *record = beginArea(recordHeaderSize + pixelCount);
        putLE32(record, image->width);
        putLE32(record + 4, image->height);
        putLE32(record + 8, uint32_t(image->x));
        putLE32(record + 12, uint32_t(image->y));
        for (uint64_t p = 0; p < pixelCount; ++p)
            record[recordHeaderSize + p] = uint8_t(image->pixels[p] + 16);
    }

    // Written last so that it stays the last match when the pack is read again.
    memcpy(beginArea(iconBytes), offIcons.data(), iconBytes);
    assert(offset == packSize);

    *length = unsigned(packSize);
    return pack.release();
}
