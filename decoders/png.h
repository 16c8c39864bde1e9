// The PNG decoder, through libpng.
#pragma once

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"
#include "decoders/rowDecoder.h"

#include <memory>

/// Whether `data` starts with the PNG signature.
bool looksLikePng(const uint8_t *data, size_t size);

/// Decodes every colour type and bit depth, interlaced or not; 16-bit
/// samples keep their high byte, and a palette with transparency or a
/// colour key gives alpha. Refuses (false, with its reason) a damaged or
/// truncated file, also one cut short after the image data.
bool decodePng(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure);

/// The PNG file open at `fd`, positioned at its start, made ready to decode
/// row by row as decodePng would decode it whole; null when it cannot be
/// (an interlaced picture, or a damaged or too large one). The descriptor
/// stays the caller's.
std::unique_ptr<rowDecoder_t> openPngRows(int fd, decodeFailure_t *failure);
