// The TGA decoder. The format has no signature.
#pragma once

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"

/// Whether `data` starts with a header whose every field holds a value the
/// format allows.
bool looksLikeTga(const uint8_t *data, size_t size);

/// Decodes colour-mapped, true-colour and grey images, raw or run-length,
/// at 8, 15, 16, 24 and 32 bits per pixel, stored from any corner. Refuses
/// (false, with its reason) an index outside the colour map, a run-length
/// packet past the last pixel, data that ends early.
bool decodeTga(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure);
