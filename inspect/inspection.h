// What Dawnmark-inspect finds in a boot loader file: its sections, the
// loader member's check, the splash member's header and trailer, and every
// entry of the icon pack.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bootfile/iconPack.h"
#include "bootfile/zbeosSections.h"
#include "bootfile/memberCheck.h"

/// What a directory entry of the icon pack holds.
enum class entryKind_t { screen, palette, iconStrip, unused, image, offIcons, end };

/// An image record of the pack: the icon strip, an image or OffIcons.
struct packRecord_t {
    uint32_t width;
    uint32_t height;
    uint32_t x;
    uint32_t y;
    /// width x height palette indices inside the inspection's pack, or null
    /// when the entry's area is too short to hold them all.
    const uint8_t *pixels;
};

/// One directory entry, in slot order.
struct directoryEntry_t {
    uint32_t slot;
    entryKind_t kind;
    uint64_t length;
    uint64_t offset;
    bool isRecord; ///< icon strip, image or OffIcons: record is set
    packRecord_t record;
};

/// A boot loader file taken apart by the same functions that Dawnmark uses.
struct inspection_t {
    std::string path;
    zbeosSections_t layout;
    unsigned char splashHeader[zbeosSplashHeaderSize];
    /// The loader member inflated whole and checked against its trailer.
    memberCheck_t loader;
    /// The splash member's trailer against the inflated splash.
    memberCheck_t splash;
    std::vector<uint8_t> pack; ///< the inflated splash: the icon pack
    /// The parser's view: palette, icon strip, OffIcons and its slot.
    std::unique_ptr<zbeosIconPack_t> parsed;
    bool hasScreen; ///< the screen record lies whole inside the pack
    screenGeometry_t screen;
    std::vector<directoryEntry_t> directory;
    /// Damage that Dawnmark itself lets pass (the loader member, the splash
    /// trailer, the screen record, short image records), one reason each;
    /// empty for a sound file.
    std::vector<std::string> damage;
};

/// Reads and takes apart the boot loader file at path. Throws dawnmarkError_t
/// exactly as Dawnmark's reading of the file does; anything else that is
/// wrong is listed in damage.
inspection_t inspectZbeos(const char *path);

/// Palette entries referenced by at least one pixel of the icon strip or of
/// a whole image record (OffIcons included), as a 256-entry table.
std::vector<bool> paletteEntriesInUse(const inspection_t &inspection);

/// Name of a kind as the report shows it ("icon strip", "OffIcons", ...).
const char *kindName(entryKind_t kind);
