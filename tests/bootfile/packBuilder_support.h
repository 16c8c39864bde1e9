// Hand-built icon packs and boot loader files for the boot loader file tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/files.h"
#include "support/scratch.h"
#include "support/traceCapture.h"

/// An image record: width, height, x, y, then width x height bytes of fill.
bytes_t imageRecord(uint32_t width, uint32_t height, uint32_t x, uint32_t y, uint8_t fill);

/// An icon pack laid out entry by entry: a zeroed directory of entryCount
/// entries, then each area appended behind the previous one.
struct packBuilder_t {
    explicit packBuilder_t(unsigned entryCount);
    /// Appends bytes and points entry k at them.
    packBuilder_t &Area(unsigned k, const bytes_t &area);
    /// Sets entry k to any length and offset, sane or not.
    packBuilder_t &Entry(unsigned k, uint32_t length, uint32_t offset);

    bytes_t bytes;
};

/// The palette of hand-built packs: entry i is (i, 255 - i, i / 2).
bytes_t testPalette();

/// A well-formed pack: screen, palette, a strip of 200 x 40 at (220, 420)
/// filled with 7, artworkCount images of 8 x 8, then OffIcons filled with 3.
bytes_t wellFormedPack(unsigned artworkCount = 1);

/// The parts of a boot loader file, joined in order. extraTail goes between
/// the splash deflate data and its trailer.
struct zbeosParts_t {
    zbeosParts_t();
    bytes_t Join() const;

    bytes_t bootCode;
    bytes_t loaderMember;
    bytes_t between;
    bytes_t splashMember;
    bytes_t extraTail;
};

/// The splash member of a boot loader file that carries `pack`, as the
/// sample file stores it.
bytes_t splashMemberOf(const bytes_t &pack);
