// A picture's colours as its embedded ICC profile means them, brought to
// sRGB, the colours every later step and the boot screen take pixels in.
#pragma once

#include <cstdint>
#include <string>

#include "decoders/decodedBitmap.h"

/// The conversion of a picture's colours from its embedded ICC profile to
/// sRGB, made once and then applied to its rows, all at once or as they are
/// decoded. Pixels tagged sRGB, and any whose profile cannot be read or
/// applied, stay as they are.
class srgbConversion_t {
public:
    /// From the bitmap's profile; its pixels are not needed. May throw
    /// std::bad_alloc.
    explicit srgbConversion_t(const decodedBitmap_t &bitmap);
    ~srgbConversion_t();
    srgbConversion_t(const srgbConversion_t &) = delete;
    srgbConversion_t &operator=(const srgbConversion_t &) = delete;

    /// Converts `rows` packed rows of `width` pixels in place, alpha kept.
    void convert(uint8_t *pixels, uint32_t width, uint32_t rows) const;
    /// What became of the profile, for the trace; empty without one.
    const std::string &said() const { return said_; }

private:
    void *transform_ = nullptr;
    bool grey_ = false;
    uint8_t greyLevels_[256] = {};
    std::string said_;
};

/// Converts the bitmap's pixels from its embedded ICC profile to sRGB,
/// alpha kept; returns what became of the profile, for the trace ("colour
/// profile: ProPhoto RGB, converted to sRGB"), or an empty text when there
/// is none. Pixels tagged sRGB, and any whose profile cannot be read or
/// applied, stay as they are. May throw std::bad_alloc.
std::string convertToSrgb(decodedBitmap_t *bitmap);

/// Converts a CMYK JPEG's samples (C, M, Y, K per pixel, stored inverted
/// when `inverted`, as in Adobe's files) in place to sRGB blue, green, red
/// and 255 through the bitmap's embedded CMYK profile; false, the samples
/// untouched, when it has none or it cannot be used.
bool convertCmykToSrgb(decodedBitmap_t *bitmap, bool inverted);
