#include "bootfile/packDirectory.h"

#include "diagnostics/errors.h"

// Computed in 64 bits so that no offset + length can wrap.
packEntry_t packDirectory_t::Entry(uint64_t k, const char *reason) const
{
    if (8 * k + 8 > length)
        throw dawnmarkError_t(packSubject, reason);
    return {getLE32(pack + 8 * k), getLE32(pack + 8 * k + 4)};
}

const unsigned char *packDirectory_t::Area(const packEntry_t &entry, const char *reason) const
{
    if (!Holds(entry))
        throw dawnmarkError_t(packSubject, reason);
    return pack + entry.offset;
}
