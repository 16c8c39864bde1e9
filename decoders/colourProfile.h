// A picture's colours as its embedded ICC profile means them, brought to
// sRGB, the colours every later step and the boot screen take pixels in.
#pragma once

#include <string>

#include "decoders/decodedBitmap.h"

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
