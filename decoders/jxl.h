// The JPEG XL decoder, through libjxl.
#pragma once

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"

/// Whether `data` starts with a JPEG XL codestream or container signature.
bool looksLikeJxl(const uint8_t *data, size_t size);

/// Decodes the first frame, upright (the file's orientation is applied, so
/// no EXIF block is handed on), with alpha; deeper samples are rounded to
/// eight bits. The profile of the decoded pixels is handed on unless they are
/// plain sRGB. Refuses (false, with its reason) a damaged or truncated file.
bool decodeJxl(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure);
