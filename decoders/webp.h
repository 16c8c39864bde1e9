// The WebP decoder, through libwebp.
#pragma once

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"

/// Whether `data` starts with a RIFF header of form type WEBP.
bool looksLikeWebp(const uint8_t *data, size_t size);

/// Decodes lossy and lossless files, with or without alpha; an animation
/// gives its first frame on its canvas and the number of its frames. The
/// EXIF block (from its TIFF header on) and the ICC profile are handed on.
/// Refuses (false, with its reason) a damaged, truncated or unsupported file.
bool decodeWebp(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure);
