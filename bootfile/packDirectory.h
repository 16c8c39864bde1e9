// Reading the directory of an icon pack. A pack comes from a file and is
// never trusted: every entry and every area it points at must lie inside the
// pack. Shared by the pack parser and the inspector, so that both walk the
// same entries and refuse the same packs.
#pragma once

#include <cstdint>

#include "bootfile/packFormat.h"

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
    /// The screen record, when it lies whole inside the pack.
    bool Screen(screenGeometry_t *screen) const;

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
