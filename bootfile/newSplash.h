// What a new splash is made of, as the boot loader file takes it: the
// palette as the pack stores it, and a source of the pictures' palette
// indices that makes them while the pack is laid out, so that each picture's
// rows are compressed as soon as they are made.
#pragma once

#include <cassert>
#include <cstdint>
#include <cstring>
#include <functional>
#include <utility>
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
class newSplash_t {
public:
    /// A splash of no pictures, its palette all black.
    newSplash_t() = default;
    /// `palette` holds all kPaletteEntries entries as stored; `strips` is
    /// the lit and the unlit icon strip as stored palette indices, or empty
    /// when the boot loader's own are kept.
    newSplash_t(const uint8_t *palette, std::vector<std::vector<uint8_t>> strips, pictureRows_t pictureRows)
        : strips(std::move(strips)), pictureRows(std::move(pictureRows))
    {
        assert(this->strips.empty() || this->strips.size() == 2);
        memcpy(this->palette, palette, sizeof this->palette);
    }

    /// All entries as stored: red, green, blue.
    const uint8_t *Palette() const { return palette; }
    /// The lit and the unlit strip; empty when the boot loader's own are kept.
    const std::vector<std::vector<uint8_t>> &Strips() const { return strips; }
    /// Picture i's indices, asked for in order while the pack is laid out.
    void PictureRows(unsigned i, uint8_t *indices, const rowsDone_t &rowsDone) const
    {
        pictureRows(i, indices, rowsDone);
    }
    /// Lets go of whatever makes the pictures' indices, once the pack is made.
    void ReleasePictureRows() { pictureRows = nullptr; }

private:
    uint8_t palette[kPaletteBytes] = {};
    std::vector<std::vector<uint8_t>> strips;
    pictureRows_t pictureRows;
};
