#include "bootfile/zbeosIcon.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <string>
#include <utility>

#include "bootfile/littleEndian.h"
#include "bootfile/packDirectory.h"
#include "diagnostics/traceStep.h"
#include "diagnostics/errors.h"

namespace {

const char *const packSubject = "load_images";
const char *const paletteCorrupted = "palette seems to be corrupted";
const char *const iconsCorrupted = "icons seems to be corrupted";

const unsigned recordHeaderSize = packRecordHeaderSize;
const unsigned paletteSize = 768;
const unsigned keptPaletteBytes = 16 * 3;

// The icon strip and OffIcons records are written back whole, so their
// areas must hold all the pixels their headers announce.
void requireWholeRecord(const packEntry_t &entry, const unsigned char *area)
{
    if (!packRecordIsWhole(entry.length, area))
        throw dawnmarkError_t(packSubject, iconsCorrupted);
}

} // namespace

zbeosIconPack_t::zbeosIconPack_t(const unsigned char *pack, unsigned length)
    : screen{640, 480, 8}, palette{}, offIconsSlot(0), imageCount(0), images{}, ownIcons{}
{
    traceStep_t titled(8, "Dissecting IconPack\n");

    packDirectory_t reader(pack, length);
    packEntry_t paletteEntry = reader.Entry(packPaletteSlot, paletteCorrupted);
    if (paletteEntry.length != paletteSize)
        throw dawnmarkError_t(packSubject, paletteCorrupted);
    memcpy(palette, reader.Area(paletteEntry, paletteCorrupted), paletteSize);

    packEntry_t iconEntry = reader.Entry(packIconsSlot, iconsCorrupted);
    if (iconEntry.length == 0)
        throw dawnmarkError_t(packSubject, iconsCorrupted);
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
        throw dawnmarkError_t(packSubject, iconsCorrupted);

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

void zbeosIconPack_t::AddImage(const loadedImage_t *image)
{
    if (imageCount >= MAX_SPLASH_IMAGES)
        throw dawnmarkError_t("add_image", "image table full");
    images[imageCount++] = image;
}

void zbeosIconPack_t::UseIcons(const loadedImage_t *lit, const char *litName, const loadedImage_t *unlit,
                               const char *unlitName)
{
    const uint32_t w = getLE32(icons.data()), h = getLE32(icons.data() + 4);
    for (const auto &strip : {std::make_pair(lit, litName), std::make_pair(unlit, unlitName)})
        if (strip.first->width != w || strip.first->height != h)
            throw dawnmarkError_t(strip.second, "the icon strip must be " + std::to_string(w) + " x " + std::to_string(h) +
                                             " pixels, as the boot loader's own");
    ownIcons[0] = lit;
    ownIcons[1] = unlit;
}

splashFrame_t zbeosIconPack_t::Frame() const
{
    splashFrame_t frame;
    frame.screenWidth = screen.width;
    frame.screenHeight = screen.height;
    frame.icons[0] = ownIcons[0];
    frame.icons[1] = ownIcons[1];
    memcpy(frame.keptColors, palette, keptPaletteBytes);
    return frame;
}

uint64_t zbeosIconPack_t::SerializedSize() const
{
    const uint64_t directorySize = 8 * (uint64_t(imageCount) + 6);
    uint64_t packSize = directorySize + 12 + paletteSize + 2 * packRecordSize(icons.data());
    for (uint32_t i = 0; i < imageCount; ++i)
        packSize += recordHeaderSize + uint64_t(images[i]->width) * images[i]->height;
    // Every offset and length of the pack is 32 bits: refuse rather than wrap.
    if (packSize > UINT32_MAX)
        throw dawnmarkError_t("save_images", "icon pack too large");
    return packSize;
}

void zbeosIconPack_t::Layout(const palette_t &chosen, const std::vector<quantizedImage_t> &strips,
                             const imageIndices_t &indicesOf, uint8_t *pack, const packReady_t &ready) const
{
    assert(strips.empty() || (strips.size() == 2 && strips[0].pixels.size() + recordHeaderSize == icons.size() &&
                              strips[1].pixels.size() + recordHeaderSize == icons.size()));
    const uint64_t packSize = SerializedSize();
    const uint64_t iconBytes = packRecordSize(icons.data());

    // The directory comes first, so every area's length is settled before
    // any of it is written.
    std::vector<uint64_t> lengths = {12, paletteSize, iconBytes, 0};
    for (uint32_t i = 0; i < imageCount; ++i)
        lengths.push_back(recordHeaderSize + uint64_t(images[i]->width) * images[i]->height);
    lengths.push_back(iconBytes);
    lengths.push_back(0); // the end of the list
    uint64_t offset = 8 * lengths.size();
    std::vector<uint64_t> offsets;
    for (size_t k = 0; k < lengths.size(); ++k) {
        offsets.push_back(lengths[k] == 0 ? 0 : offset);
        putLE32(pack + 8 * k, uint32_t(lengths[k]));
        putLE32(pack + 8 * k + 4, uint32_t(offsets[k]));
        offset += lengths[k];
    }
    assert(offset == packSize);

    unsigned char *screenRecord = pack + offsets[0];
    putLE32(screenRecord, screen.width);
    putLE32(screenRecord + 4, screen.height);
    putLE32(screenRecord + 8, screen.depth);

    // Entries 0 to 15 belong to the system; the new colours follow them.
    unsigned char *packPalette = pack + offsets[1];
    memcpy(packPalette, palette, keptPaletteBytes);
    for (unsigned j = 0; j < 256 - 16; ++j) {
        packPalette[keptPaletteBytes + 3 * j] = chosen.red[j];
        packPalette[keptPaletteBytes + 3 * j + 1] = chosen.green[j];
        packPalette[keptPaletteBytes + 3 * j + 2] = chosen.blue[j];
    }

    // Replaced strips keep the header, and so the place, of the kept ones.
    const auto putStrip = [&](unsigned char *at, const std::vector<uint8_t> &kept, unsigned k) {
        if (strips.empty()) {
            memcpy(at, kept.data(), iconBytes);
            return;
        }
        memcpy(at, kept.data(), recordHeaderSize);
        std::copy(strips[k].pixels.begin(), strips[k].pixels.end(), at + recordHeaderSize);
    };
    putStrip(pack + offsets[2], icons, 0);
    ready(offsets[2] + iconBytes);

    for (uint32_t i = 0; i < imageCount; ++i) {
        const loadedImage_t &image = *images[i];
        unsigned char *record = pack + offsets[4 + i];
        putLE32(record, image.width);
        putLE32(record + 4, image.height);
        putLE32(record + 8, uint32_t(image.x));
        putLE32(record + 12, uint32_t(image.y));
        uint8_t *pixels = record + recordHeaderSize;
        uint64_t done = 0;
        indicesOf(i, pixels, [&](uint32_t rows) {
            const uint64_t mapped = uint64_t(rows) * image.width;
            for (; done < mapped; ++done)
                pixels[done] = uint8_t(pixels[done] + 16);
            ready(uint64_t(pixels - pack) + done);
        });
        assert(done == uint64_t(image.width) * image.height);
        ready(uint64_t(pixels - pack) + done);
    }

    // Written last so that it stays the last match when the pack is read again.
    putStrip(pack + offsets[4 + imageCount], offIcons, 1);
    ready(packSize);
}

std::vector<uint8_t> zbeosIconPack_t::Serialize(const renderedSplash_t &splash) const
{
    std::vector<uint8_t> pack(SerializedSize());
    assert(splash.images.size() == imageCount);
    Layout(
        splash.palette, splash.icons,
        [&](unsigned i, uint8_t *indices, const rowsMapped_t &rowsMapped) {
            const quantizedImage_t &image = splash.images[i];
            assert(image.width == images[i]->width && image.height == images[i]->height);
            std::copy(image.pixels.begin(), image.pixels.end(), indices);
            rowsMapped(image.height);
        },
        pack.data(), [](uint64_t) {});
    return pack;
}
