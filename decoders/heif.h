// The HEIF decoder (HEIC and AVIF), through libheif and the HEVC and AV1
// decoders built into it.
#pragma once

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"

/// Whether `data` starts with an ISO media file type box that names an HEIC
/// (HEVC) or a general HEIF brand, or an AVIF one.
bool looksLikeHeic(const uint8_t *data, size_t size);
bool looksLikeAvif(const uint8_t *data, size_t size);

/// Decodes the primary image, upright: the file's rotation, mirroring and
/// cropping are applied, so its EXIF block is not handed on (its orientation
/// would turn the picture a second time). High bit depths keep their high
/// eight bits; alpha is kept, and an ICC profile is handed on. Refuses
/// (false, with its reason) a damaged or truncated file, or one whose codec
/// is missing.
bool decodeHeic(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure);
bool decodeAvif(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure);
