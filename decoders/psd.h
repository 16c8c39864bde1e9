// The PSD decoder: the merged image of a Photoshop file.
#pragma once

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"

/// Whether `data` starts with the PSD signature "8BPS".
bool looksLikePsd(const uint8_t *data, size_t size);

/// Decodes greyscale and RGB files of 8 or 16 bits per channel, raw or
/// run-length; 16-bit samples keep their high byte. The channel after the
/// colours is transparency, and the white matte Photoshop puts on partly
/// transparent colours is taken out (rounded). Refuses (false, with its
/// reason) other colour modes and depths, ZIP compression, large-document
/// files, damaged or truncated data, and a file saved without its composite
/// image (a blank image whose version information says it is not the real
/// merged data).
bool decodePsd(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure);
