// The bitmap stream as the roster hands it over: recognising one that a file
// already holds, and writing one from decoded pixels.
#pragma once

#include "decoders/decodedBitmap.h"
#include "platform/DataIO.h"

/// Whether `data` starts with the bitmap stream's magic, in either byte
/// order: a stream written little-endian is passed on for the loader to
/// refuse with a reason rather than taken for an unknown file.
bool looksLikeBitmapStream(const uint8_t *data, size_t size);

/// Whether the bitmap's size is acceptable and its pixels fill it exactly.
bool bitmapWellFormed(const decodedBitmap_t &bitmap);

/// Writes the header and pixels of `bitmap` as a bitmap stream (B_RGBA32 if
/// it has alpha, B_RGB32 otherwise) at the destination's position. On
/// failure nothing has been written.
status_t writeBitmapStream(const decodedBitmap_t &bitmap, BPositionIO *destination);
