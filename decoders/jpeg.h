// The JPEG decoder, through libjpeg-turbo.
#pragma once

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"
#include "decoders/rowDecoder.h"

#include <memory>

/// Whether `data` starts with a JPEG start-of-image marker.
bool looksLikeJpeg(const uint8_t *data, size_t size);

/// Decodes greyscale, colour, progressive and arithmetic-coded files; CMYK
/// becomes RGB (taken as stored inverted when an Adobe marker is present)
/// through the file's CMYK profile, or by a plain formula without one.
/// Keeps the EXIF block and the colour profile.
/// Refuses (false, with its reason) corrupt or truncated data: every
/// corrupt-data warning counts as an error.
bool decodeJpeg(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure);

/// decodeJpeg at the smallest of the scales 1/8, 2/8 ... 7/8 at which the
/// picture still spans at least minWidth x minHeight, or at full size when
/// none does: for an image that will be zoomed down anyway. The last
/// column and row may then stand partly beyond the picture's edge (out's
/// overhang).
bool decodeJpegAtLeast(const uint8_t *data, size_t size, uint32_t minWidth, uint32_t minHeight,
                       decodedBitmap_t *out, decodeFailure_t *failure);

/// The JPEG file open at `fd`, positioned at its start, made ready to
/// decode scanline by scanline as decodeJpegAtLeast would decode it whole;
/// null when it cannot be (CMYK, or a damaged or too large picture). The
/// descriptor stays the caller's.
std::unique_ptr<rowDecoder_t> openJpegRows(int fd, uint32_t minWidth, uint32_t minHeight, decodeFailure_t *failure);
