// The check gzip itself makes of a member: inflate all of its deflate data
// and compare what comes out with the CRC-32 and length of its trailer. The
// editor refuses, and the inspector reports, a loader member that fails it
// in the same words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bootfile/zbeosSections.h"

/// What inflating one whole member found.
struct memberCheck_t {
    /// The deflate data ended and a whole trailer follows it; the fields
    /// below are meaningful only then.
    bool complete = false;
    /// Why the member is not complete: the data is corrupt or cut short.
    std::string failure;
    uint32_t storedCrc = 0;     ///< CRC-32 in the trailer
    uint32_t storedLength = 0;  ///< length in the trailer (modulo 2^32)
    uint32_t inflatedCrc = 0;   ///< CRC-32 of the inflated data
    uint64_t inflatedLength = 0;

    bool CrcMatches() const { return storedCrc == inflatedCrc; }
    bool LengthMatches() const { return storedLength == uint32_t(inflatedLength); }
};

/// Inflates the raw deflate data that starts at data and may run to
/// data + size, then reads the trailer right behind it. Bytes after the
/// trailer are not looked at.
memberCheck_t checkMember(const unsigned char *data, uint64_t size);

/// The loader member ("beos") of a dissected boot loader file, checked
/// whole.
memberCheck_t checkLoaderMember(const unsigned char *bytes, const zbeosSections_t &layout);

/// The name the loader member's damage is reported under: "loader member".
extern const char *const loaderMemberName;

/// What is wrong with the member, one line each, every line beginning with
/// what (such as "loader member"); empty when it is sound.
void addMemberDamage(const char *what, const memberCheck_t &check, std::vector<std::string> *damage);
