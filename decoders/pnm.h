// The PNM decoder: bitmaps, grey maps and pixel maps.
#pragma once

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"

/// Whether `data` starts like a P1 to P6 file.
bool looksLikePnm(const uint8_t *data, size_t size);

/// Decodes plain (P1, P2, P3) and binary (P4, P5, P6) files with any maximum
/// value from 1 to 65535; samples become round(value x 255 / maximum), and
/// in a bitmap 1 is black. Refuses (false, with its reason) data that ends
/// early, a sample above the maximum, a maximum outside 1 to 65535.
bool decodePnm(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure);
