#include "bootfile/packDirectory.h"

#include "diagnostics/errors.h"

// Computed in 64 bits so that no offset + length can wrap.
packEntry_t packDirectory_t::Entry(uint64_t k, const char *reason) const
{
    if (packEntrySize * k + packEntrySize > length)
        throw dawnmarkError_t(packSubject, reason);
    return readPackEntry(pack, k);
}

const unsigned char *packDirectory_t::Area(const packEntry_t &entry, const char *reason) const
{
    if (!Holds(entry))
        throw dawnmarkError_t(packSubject, reason);
    return pack + entry.offset;
}

bool packDirectory_t::Screen(screenGeometry_t *screen) const
{
    if (length < packEntrySize * (packScreenSlot + 1))
        return false;
    const packEntry_t entry = readPackEntry(pack, packScreenSlot);
    if (entry.length < packScreenRecordSize || !Holds(entry))
        return false;
    *screen = readScreenRecord(pack + entry.offset);
    return true;
}
