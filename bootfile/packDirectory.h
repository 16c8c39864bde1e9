// Reading the directory of an icon pack. A pack comes from a file and is
// never trusted: every entry and every area it points at must lie inside the
// pack. Shared by the pack parser and the inspector, so that both walk the
// same entries and refuse the same packs.
#pragma once

#include <cstdint>

#include "bootfile/littleEndian.h"

/// Directory slots with a fixed meaning; the image list starts at
/// packFirstImageSlot and ends at the first entry of length 0.
enum packSlot_t : unsigned {
    packScreenSlot = 0,
    packPaletteSlot = 1,
    packIconsSlot = 2,
    packFirstImageSlot = 4,
};

/// The subject of every error about an icon pack's contents.
constexpr const char *packSubject = "load_images";

/// Bytes of an image record's header: width, height, x, y.
constexpr unsigned packRecordHeaderSize = 16;

/// One directory entry: where its area lies in the pack.
struct packEntry_t {
    uint64_t length;
    uint64_t offset;
};

/// Bounds-checked access to a pack's directory and areas. Failures throw
/// dawnmarkError_t with subject "load_images" and the reason the caller names.
class packDirectory_t {
public:
    packDirectory_t(const unsigned char *pack, uint64_t length) : pack(pack), length(length) {}

    /// Entry k; throws when the entry itself lies past the end of the pack.
    packEntry_t Entry(uint64_t k, const char *reason) const;
    /// True when the entry's whole area lies inside the pack.
    bool Holds(const packEntry_t &entry) const
    {
        return entry.offset <= length && entry.length <= length - entry.offset;
    }
    /// The first byte of the entry's area; throws unless Holds(entry).
    const unsigned char *Area(const packEntry_t &entry, const char *reason) const;

    /// Walks the image list: visit(slot, entry, area) for every entry from
    /// packFirstImageSlot up to the first one of length 0, in order. Throws
    /// with reason when an entry or its area lies outside the pack.
    template <class Visit> void WalkImages(const char *reason, Visit visit) const
    {
        for (uint64_t k = packFirstImageSlot;; ++k) {
            const packEntry_t entry = Entry(k, reason);
            if (entry.length == 0)
                return;
            visit(k, entry, Area(entry, reason));
        }
    }

private:
    const unsigned char *pack;
    uint64_t length;
};

/// Bytes of an image record with the given header: 16 + width x height.
inline uint64_t packRecordSize(const unsigned char *header)
{
    return packRecordHeaderSize + uint64_t(getLE32(header)) * getLE32(header + 4);
}

/// True when an area of areaLength bytes holds the whole record its header
/// announces (and at least the header).
inline bool packRecordIsWhole(uint64_t areaLength, const unsigned char *area)
{
    return areaLength >= packRecordHeaderSize && areaLength >= packRecordSize(area);
}
