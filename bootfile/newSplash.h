// What a new splash is made of, as the boot loader file takes it: the
// palette as the pack stores it, and a source of the pictures' palette
// indices that makes them while the pack is laid out, so that each picture's
// rows are compressed as soon as they are made.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "base/bootScreen.h"

/// The size and place of one picture of a pack.
struct packPicture_t {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t x = 0;
    uint32_t y = 0;
};

/// Told how many rows of a picture, from its top, are final.
using rowsDone_t = std::function<void(uint32_t rows)>;

/// Writes picture i's palette indices as stored (width * height bytes) at
/// `indices`, telling `rowsDone` as rows become final and ending with all
/// of them.
using pictureRows_t = std::function<void(unsigned i, uint8_t *indices, const rowsDone_t &rowsDone)>;

/// A new splash, ready to be laid out.
struct newSplash_t {
    /// All 256 palette entries as stored: red, green, blue.
    uint8_t palette[kPaletteBytes] = {};
    /// The lit and the unlit icon strips as stored palette indices; empty
    /// when the boot loader's own are kept.
    std::vector<std::vector<uint8_t>> strips;
    /// The pictures' indices, asked for in order while the pack is laid
    /// out; whatever it holds is released once the pack is made.
    pictureRows_t pictureRows;
};
