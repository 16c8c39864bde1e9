#include "inspect/inspection.h"

#include <cstring>
#include <zlib.h>

#include "bootfile/littleEndian.h"
#include "bootfile/packDirectory.h"
#include "base/formatText.h"

namespace {

// Entries the parser has already read cannot fail; the reason is for
// completeness only.
const char *const unreadable = "directory unreadable";

packRecord_t recordAt(const packEntry_t &entry, const unsigned char *area)
{
    if (entry.length < packRecordHeaderSize)
        return {0, 0, 0, 0, nullptr};
    const packPicture_t header = readRecordHeader(area);
    packRecord_t record{header.width, header.height, header.x, header.y, nullptr};
    if (packRecordIsWhole(entry.length, area))
        record.pixels = area + packRecordHeaderSize;
    return record;
}

void readScreen(inspection_t &inspection, const packDirectory_t &directory)
{
    const packEntry_t entry = directory.Entry(packScreenSlot, unreadable);
    inspection.directory.push_back({packScreenSlot, entryKind_t::screen, entry.length, entry.offset,
                                    false, {}});
    inspection.hasScreen = directory.Screen(&inspection.screen);
    if (!inspection.hasScreen)
        inspection.damage.push_back(
            formatText("screen record missing or shorter than %u bytes", packScreenRecordSize));
}

void readDirectory(inspection_t &inspection)
{
    const packDirectory_t directory(inspection.pack.data(), inspection.pack.size());
    readScreen(inspection, directory);

    const packEntry_t palette = directory.Entry(packPaletteSlot, unreadable);
    inspection.directory.push_back({packPaletteSlot, entryKind_t::palette, palette.length,
                                    palette.offset, false, {}});
    const packEntry_t icons = directory.Entry(packIconsSlot, unreadable);
    inspection.directory.push_back({packIconsSlot, entryKind_t::iconStrip, icons.length, icons.offset,
                                    true, recordAt(icons, directory.Area(icons, unreadable))});
    const packEntry_t unused = directory.Entry(packUnusedSlot, unreadable);
    inspection.directory.push_back({packUnusedSlot, entryKind_t::unused, unused.length,
                                    unused.offset, false, {}});

    uint64_t end = packFirstImageSlot;
    directory.WalkImages(unreadable, [&](uint64_t k, const packEntry_t &entry, const unsigned char *area) {
        const entryKind_t kind =
            k == inspection.parsed->OffIconsSlot() ? entryKind_t::offIcons : entryKind_t::image;
        const packRecord_t record = recordAt(entry, area);
        if (record.pixels == nullptr)
            inspection.damage.push_back(
                formatText("image record at slot %u holds %llu bytes, fewer than its pixels need",
                           unsigned(k), static_cast<unsigned long long>(entry.length)));
        inspection.directory.push_back({uint32_t(k), kind, entry.length, entry.offset, true, record});
        end = k + 1;
    });
    inspection.directory.push_back({uint32_t(end), entryKind_t::end, 0,
                                    directory.Entry(end, unreadable).offset, false, {}});
}

} // namespace

inspection_t inspectZbeos(const char *path)
{
    inspection_t inspection{};
    inspection.path = path;
    const std::vector<unsigned char> file = readZbeosFile(path);
    inspection.layout = dissectZbeos(file.data(), file.size(), path);
    memcpy(inspection.splashHeader, file.data() + inspection.layout.splashOffset,
           zbeosSplashHeaderSize);
    inspection.pack = inflateSplash(file.data(), inspection.layout, path);
    inspection.parsed.reset(new zbeosIconPack_t(inspection.pack.data(), unsigned(inspection.pack.size())));

    // Dawnmark refuses this damage in the same words, but only after what
    // is read above: the listing still shows what the file holds.
    inspection.loader = checkLoaderMember(file.data(), inspection.layout);
    addMemberDamage(loaderMemberName, inspection.loader, &inspection.damage);

    const unsigned char *trailer = file.data() + file.size() - zbeosTrailerSize;
    memberCheck_t &splash = inspection.splash;
    splash.complete = true;
    splash.storedCrc = getLE32(trailer);
    splash.storedLength = getLE32(trailer + 4);
    splash.inflatedCrc = uint32_t(crc32(0L, inspection.pack.data(), uInt(inspection.pack.size())));
    splash.inflatedLength = inspection.pack.size();
    addMemberDamage("splash trailer", splash, &inspection.damage);
    readDirectory(inspection);
    return inspection;
}

std::vector<bool> paletteEntriesInUse(const inspection_t &inspection)
{
    std::vector<bool> used(256, false);
    for (const directoryEntry_t &entry : inspection.directory) {
        if (!entry.isRecord || entry.record.pixels == nullptr)
            continue;
        const uint64_t count = uint64_t(entry.record.width) * entry.record.height;
        for (uint64_t p = 0; p < count; ++p)
            used[entry.record.pixels[p]] = true;
    }
    return used;
}

const char *kindName(entryKind_t kind)
{
    switch (kind) {
    case entryKind_t::screen:
        return "screen";
    case entryKind_t::palette:
        return "palette";
    case entryKind_t::iconStrip:
        return "icon strip";
    case entryKind_t::unused:
        return "unused";
    case entryKind_t::image:
        return "image";
    case entryKind_t::offIcons:
        return "OffIcons";
    case entryKind_t::end:
        return "end of list";
    }
    return "?";
}
