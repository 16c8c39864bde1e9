// A synthetic boot loader file with the structure of a real one: boot code,
// a compressed loader member "beos" and a compressed splash member "images"
// holding an icon pack. Real boot loader files cannot be shipped; this one
// is the project's own and is the same on every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/bootScreen.h"

/// Where the sample's icon strip (and its OffIcons image) sits.
struct sampleStrip_t {
    static constexpr uint32_t width = 200;
    static constexpr uint32_t height = 40;
    static constexpr uint32_t x = 220;
    static constexpr uint32_t y = 420;
};

/// MTIME of both members of the sample.
constexpr uint32_t sampleMtime = 946684800;

/// A complete gzip member (header with FNAME name and the given MTIME, OS
/// Unix, raw deflate data, CRC-32 and length) made by zlib.
std::vector<unsigned char> makeGzipMember(const char *name, uint32_t mtime,
                                          const unsigned char *data, size_t size);

/// The sample's boot code (first section).
std::vector<unsigned char> makeSampleBootCode();
/// The sample's made-up loader, before compression.
std::vector<unsigned char> makeSampleLoader();
/// The sample's icon pack, before compression: screen 640 x 480 x 8, a
/// 256-entry palette, the icon strip, two artwork images, then OffIcons.
std::vector<unsigned char> makeSampleIconPack();
/// An icon pack of the screen record, the palette (all its entries), the
/// records (header, then pixels): the lit strip, the images, the unlit
/// strip, which must be the size of the lit one, laid out as a save lays
/// them out.
std::vector<unsigned char> layOutPack(const screenGeometry_t &screen, const unsigned char *palette,
                                      const std::vector<std::vector<unsigned char>> &records);
/// The whole sample file: boot code, "beos" member, "images" member.
std::vector<unsigned char> makeSampleZbeos();
