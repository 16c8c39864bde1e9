// The layout of an icon pack, the inflated splash of a boot loader file: a
// directory of (length, offset) entries, 32-bit little-endian like every
// integer of the pack, that locates a screen record, a palette, the icon
// strip and a list of image records. Everything that reads or writes a pack
// takes its slots, records and limits from here.
#pragma once

#include <cstdint>
#include <vector>

#include "base/bootScreen.h"
#include "bootfile/littleEndian.h"
#include "bootfile/newSplash.h"

/// Directory slots with a fixed meaning; the image list starts at
/// packFirstImageSlot and ends at the first entry of length 0.
enum packSlot_t : unsigned {
    packScreenSlot = 0,
    packPaletteSlot = 1,
    packIconsSlot = 2,
    packUnusedSlot = 3, ///< never read, written empty
    packFirstImageSlot = 4,
};

/// Bytes of one directory entry: the area's length, then its offset.
constexpr unsigned packEntrySize = 8;
/// Bytes of the screen record: width, height, depth.
constexpr unsigned packScreenRecordSize = 12;
/// Bytes of the palette area.
constexpr unsigned packPaletteSize = kPaletteBytes;
/// Bytes of an image record's header: width, height, x, y.
constexpr unsigned packRecordHeaderSize = 16;
/// The largest pack the boot loader takes (its buffer for the splash).
constexpr uint64_t packMaxSize = 1048576;

/// The subject of every error about an icon pack's contents.
constexpr const char *packSubject = "load_images";

/// One directory entry: where its area lies in the pack.
struct packEntry_t {
    uint64_t length;
    uint64_t offset;
};

/// Entry k of a directory that holds it.
inline packEntry_t readPackEntry(const unsigned char *pack, uint64_t k)
{
    const unsigned char *entry = pack + packEntrySize * k;
    return {getLE32(entry), getLE32(entry + 4)};
}

inline void writePackEntry(unsigned char *pack, uint64_t k, const packEntry_t &entry)
{
    putLE32(pack + packEntrySize * k, uint32_t(entry.length));
    putLE32(pack + packEntrySize * k + 4, uint32_t(entry.offset));
}

inline screenGeometry_t readScreenRecord(const unsigned char *record)
{
    return {getLE32(record), getLE32(record + 4), getLE32(record + 8)};
}

inline void writeScreenRecord(unsigned char *record, const screenGeometry_t &screen)
{
    putLE32(record, screen.width);
    putLE32(record + 4, screen.height);
    putLE32(record + 8, screen.depth);
}

/// The size and place an image record's header gives.
inline packPicture_t readRecordHeader(const unsigned char *record)
{
    return {getLE32(record), getLE32(record + 4), getLE32(record + 8), getLE32(record + 12)};
}

inline void writeRecordHeader(unsigned char *record, const packPicture_t &picture)
{
    putLE32(record, picture.width);
    putLE32(record + 4, picture.height);
    putLE32(record + 8, picture.x);
    putLE32(record + 12, picture.y);
}

/// Bytes of a record of a picture of this size: 16 + width x height.
inline uint64_t packRecordSize(const packPicture_t &picture)
{
    return packRecordHeaderSize + uint64_t(picture.width) * picture.height;
}

/// True when an area of areaLength bytes holds the whole record its header
/// announces (and at least the header).
inline bool packRecordIsWhole(uint64_t areaLength, const unsigned char *area)
{
    return areaLength >= packRecordHeaderSize && areaLength >= packRecordSize(readRecordHeader(area));
}

/// Where the areas of a new pack go: right after the directory, without
/// gaps, in the pack's own order.
struct packPlan_t {
    /// Every directory entry, the one of length 0 that ends the list included.
    std::vector<packEntry_t> entries;
    /// The whole pack: directory and areas.
    uint64_t size;
};

/// The plan of a pack with an icon strip (and OffIcons record) of stripBytes
/// each and records for these pictures, in order between the two: screen
/// record, palette, icon strip, the pictures, OffIcons.
packPlan_t planPack(uint64_t stripBytes, const std::vector<packPicture_t> &pictures);
