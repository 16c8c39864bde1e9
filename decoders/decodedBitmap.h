// What every decoder delivers, and the size limit all of them keep to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

/// Largest pixel buffer of any image (1 GiB): decoders refuse files that
/// ask for more, and the image tools fail a resize beyond it as an
/// allocation failure.
constexpr uint64_t kMaxBitmapBytes = uint64_t(1) << 30;

/// Whether a width x height image of 4-byte pixels is non-empty and within
/// kMaxBitmapBytes.
bool bitmapSizeAcceptable(uint64_t width, uint64_t height);

/// A decoded image: 4 bytes per pixel in blue, green, red, fourth-byte
/// order, rows packed top to bottom. Without alpha the fourth byte is 255,
/// except in a bitmap stream, which keeps its own (and may hold no whole
/// row).
struct decodedBitmap_t {
    uint32_t width = 0;
    uint32_t height = 0;
    bool alpha = false;
    std::vector<uint8_t> pixels;
    /// The file's EXIF block, from its TIFF header on; empty when it has
    /// none. Read for the orientation the picture is shown in.
    std::vector<uint8_t> exif;
    /// The file's embedded ICC colour profile; empty when it has none.
    std::vector<uint8_t> iccProfile;
    /// How much of the last column and of the last row lies beyond the
    /// picture's edge, 0 to 1: a picture decoded at a reduced scale need not
    /// end on a whole pixel (63 pixels at 3/8 are 23.625, shown in 24).
    double overhangRight = 0;
    double overhangBottom = 0;
    /// Whether the decoder has already brought the pixels from iccProfile
    /// to sRGB (a CMYK JPEG's samples only exist inside the decoder).
    bool profileApplied = false;
    /// Frames in the file: an animation gives its first, and says how
    /// many there are.
    uint32_t frames = 1;
};
