#include "bootfile/iconPack.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <string>
#include <utility>

#include "bootfile/packDirectory.h"
#include "diagnostics/traceStep.h"
#include "diagnostics/errors.h"

namespace {

const char *const paletteCorrupted = "palette seems to be corrupted";
const char *const iconsCorrupted = "icons seems to be corrupted";

// The icon strip and OffIcons records are written back whole, so their
// areas must hold all the pixels their headers announce.
void requireWholeRecord(const packEntry_t &entry, const unsigned char *area)
{
    if (!packRecordIsWhole(entry.length, area))
        throw dawnmarkError_t(packSubject, iconsCorrupted);
}

} // namespace

zbeosIconPack_t::zbeosIconPack_t(const unsigned char *pack, unsigned length)
    : ownScreen(kDefaultScreen), palette{}, offIconsSlot(0)
{
    traceStep_t titled(8, "Dissecting IconPack\n");

    packDirectory_t reader(pack, length);
    // A screen without pixels is no screen to make a splash for.
    screenGeometry_t recorded{};
    if (reader.Screen(&recorded) && recorded.width != 0 && recorded.height != 0)
        ownScreen = recorded;
    screen = ownScreen;

    packEntry_t paletteEntry = reader.Entry(packPaletteSlot, paletteCorrupted);
    if (paletteEntry.length != packPaletteSize)
        throw dawnmarkError_t(packSubject, paletteCorrupted);
    memcpy(palette, reader.Area(paletteEntry, paletteCorrupted), packPaletteSize);

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
        const unsigned char *header = reader.Area({packRecordHeaderSize, entry.offset}, iconsCorrupted);
        if (memcmp(header, icons.data(), packRecordHeaderSize) == 0) {
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
    const uint64_t w = Strip().width, h = Strip().height;
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
    packPicture_t header = Strip();
    header.x = uint32_t(newX);
    header.y = uint32_t(newY);
    for (std::vector<uint8_t> *record : {&icons, &offIcons})
        writeRecordHeader(record->data(), header);
}

void zbeosIconPack_t::AddImage(const packPicture_t &picture)
{
    if (pictures.size() >= kMaxSplashImages)
        throw dawnmarkError_t("add_image", "image table full");
    pictures.push_back(picture);
}

void zbeosIconPack_t::UseIcons(const packPicture_t &lit, const char *litName, const packPicture_t &unlit,
                               const char *unlitName)
{
    const uint32_t w = Strip().width, h = Strip().height;
    for (const auto &strip : {std::make_pair(&lit, litName), std::make_pair(&unlit, unlitName)})
        if (strip.first->width != w || strip.first->height != h)
            throw dawnmarkError_t(strip.second, "the icon strip must be " + std::to_string(w) + " x " + std::to_string(h) +
                                             " pixels, as the boot loader's own; " + strip.second + " is " +
                                             std::to_string(strip.first->width) + " x " +
                                             std::to_string(strip.first->height));
    newIcons = true;
}

packPlan_t zbeosIconPack_t::Plan() const
{
    return planPack(packRecordSize(Strip()), pictures);
}

uint64_t zbeosIconPack_t::SerializedSize() const
{
    const uint64_t packSize = Plan().size;
    // Every offset and length of the pack is 32 bits: refuse rather than wrap.
    if (packSize > UINT32_MAX)
        throw dawnmarkError_t("save_images", "icon pack too large");
    return packSize;
}

void zbeosIconPack_t::Layout(const newSplash_t &splash, uint8_t *pack, const packReady_t &ready) const
{
    const std::vector<std::vector<uint8_t>> &strips = splash.Strips();
    assert(strips.empty() != newIcons);
    assert(strips.empty() || (strips.size() == 2 && strips[0].size() + packRecordHeaderSize == icons.size() &&
                              strips[1].size() + packRecordHeaderSize == icons.size()));
    const packPlan_t plan = Plan();
    assert(plan.size == SerializedSize());
    const std::vector<packEntry_t> &entries = plan.entries;
    const uint64_t iconBytes = packRecordSize(Strip());

    // The directory comes first, so every area's length is settled before
    // any of it is written.
    for (size_t k = 0; k < entries.size(); ++k)
        writePackEntry(pack, k, entries[k]);

    writeScreenRecord(pack + entries[packScreenSlot].offset, screen);
    memcpy(pack + entries[packPaletteSlot].offset, splash.Palette(), packPaletteSize);

    // Replaced strips keep the header, and so the place, of the kept ones.
    const auto putStrip = [&](unsigned char *at, const std::vector<uint8_t> &kept, unsigned k) {
        if (strips.empty()) {
            memcpy(at, kept.data(), iconBytes);
            return;
        }
        memcpy(at, kept.data(), packRecordHeaderSize);
        std::copy(strips[k].begin(), strips[k].end(), at + packRecordHeaderSize);
    };
    putStrip(pack + entries[packIconsSlot].offset, icons, 0);
    ready(entries[packIconsSlot].offset + iconBytes);

    for (unsigned i = 0; i < pictures.size(); ++i) {
        const packPicture_t &picture = pictures[i];
        unsigned char *record = pack + entries[packFirstImageSlot + i].offset;
        writeRecordHeader(record, picture);
        const uint64_t start = uint64_t(record - pack) + packRecordHeaderSize;
        splash.PictureRows(i, record + packRecordHeaderSize,
                           [&](uint32_t rows) { ready(start + uint64_t(rows) * picture.width); });
        ready(start + uint64_t(picture.width) * picture.height);
    }

    // Written last so that it stays the last match when the pack is read again.
    putStrip(pack + entries[packFirstImageSlot + pictures.size()].offset, offIcons, 1);
    ready(plan.size);
}
