// Reading a boot loader file and finding its three sections: the raw boot
// code, the compressed loader member "beos" and the compressed splash member
// "images". Shared by the editor (zbeos_t) and the inspector, so both accept
// and refuse exactly the same files with the same reasons.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "bootfile/packFormat.h"

/// Bytes of the splash member's gzip header (magic to "images\0").
constexpr unsigned zbeosSplashHeaderSize = 17;
/// Bytes of a gzip trailer: CRC-32 and length, both little-endian.
constexpr unsigned zbeosTrailerSize = 8;

/// Where the sections of a boot loader file lie. The first section is bytes
/// 0 to loaderOffset - 1, the second loaderOffset to splashOffset - 1, the
/// third (splash header, deflate data, trailer) splashOffset to size - 1.
struct zbeosSections_t {
    uint64_t loaderOffset; ///< first byte of the loader member's header
    uint64_t splashOffset; ///< first byte of the splash member's header
    uint64_t size;         ///< the whole file
};

/// Reads the whole regular file at path. Throws dawnmarkError_t (subject path)
/// "File not found" or "troubles reading". path must outlive the exception.
std::vector<unsigned char> readZbeosFile(const char *path);

/// Where the two member headers lie in the size bytes of a boot loader file
/// held in memory, or nothing when either is missing: what dissectZbeos
/// finds, without a trace.
std::optional<zbeosSections_t> findZbeosSections(const unsigned char *bytes, uint64_t size);

/// Finds the sections of the size bytes of a boot loader file held in
/// memory; reads nothing outside them. Throws dawnmarkError_t with subject path
/// and reason "doesn't look like a zbeos booter" when either member header
/// is missing; path is used for nothing else and must outlive the
/// exception. Traces the dissection at level 8.
zbeosSections_t dissectZbeos(const unsigned char *bytes, uint64_t size, const char *path);

/// Inflates the splash member of a dissected file into the icon pack it
/// holds. The trailer is neither read nor tested. Throws dawnmarkError_t with
/// subject path and "cannot uncompress loader\n" when the data is corrupt,
/// shorter than a trailer, or inflates to more than packMaxSize.
std::vector<unsigned char> inflateSplash(const unsigned char *bytes, const zbeosSections_t &layout,
                                         const char *path);
