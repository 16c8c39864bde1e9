// The BMP decoder: Windows and OS/2 bitmaps. Our own: no maintained library
// decodes every BMP variant exactly without a large dependency.
#pragma once

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"

/// Whether `data` starts with the BMP signature "BM".
bool looksLikeBmp(const uint8_t *data, size_t size);

/// Decodes the BMP file held in `data` into `out`.
///
/// Reads OS/2 1.x (12-byte) and 2.x (16- to 64-byte) headers and Windows
/// 40-, 52-, 56-, 108- and 124-byte headers; 1, 2, 4 and 8 bits through a
/// palette, RLE8 and RLE4, 16, 24 and 32 bits, bit fields with or without
/// an alpha mask, bottom-up and top-down rows. The pixel data is read where
/// the file header says it starts, except that an indexed image whose
/// offset points into its headers or into a colour table of a stated size
/// (or leaves it no colour) is read right after its colour table.
///
/// Colours: mask channels are scaled to 8 bits as round(v * 255 / max). A
/// palette index the palette does not hold is opaque black; pixels that an
/// RLE image skips (by a delta, an early end of line or of the bitmap) take
/// palette entry 0. Alpha comes only from an explicit alpha mask (bit fields);
/// otherwise `out->alpha` is false and the fourth byte is 255, so the unused
/// fourth byte of a plain 32-bit file is ignored.
///
/// Returns false after giving its reason to `failure` for a file it
/// refuses: an unknown header or compression, a damaged header, RLE data
/// that leaves the image, data that ends early, or an image above the 1 GiB
/// pixel limit. Throws std::bad_alloc when memory runs out.
bool decodeBmp(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure);
