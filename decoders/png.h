// The PNG decoder, through libpng.
#pragma once

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"

/// Whether `data` starts with the PNG signature.
bool looksLikePng(const uint8_t *data, size_t size);

/// Decodes every colour type and bit depth, interlaced or not; 16-bit
/// samples keep their high byte, and a palette with transparency or a
/// colour key gives alpha. Refuses (false, with its reason) a damaged or
/// truncated file, also one cut short after the image data.
bool decodePng(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure);
