// The BMP decoder: Windows and OS/2 bitmaps, from a whole file in memory.
#pragma once

#include <string>

#include "platform/translators/Translator.h"

/// Whether `data` starts with the BMP signature "BM".
bool looksLikeBmp(const uint8_t *data, size_t size);

/// Decodes the BMP file held in `data` into `out`.
///
/// Reads OS/2 1.x (12-byte) and 2.x (16- to 64-byte) headers and Windows
/// 40-, 52-, 56-, 108- and 124-byte headers; 1, 2, 4 and 8 bits through a
/// palette, RLE8 and RLE4, 16, 24 and 32 bits, bit fields with or without
/// an alpha mask, bottom-up and top-down rows. The pixel data is read where
/// the file header says it starts.
///
/// Colours: mask channels are scaled to 8 bits as round(v * 255 / max). A
/// palette index the palette does not hold is opaque black; pixels that an
/// RLE image skips (by a delta, an early end of line or of the bitmap) take
/// palette entry 0. Alpha comes only from an explicit alpha mask (bit fields);
/// otherwise `out->alpha` is false and the fourth byte is 255, so the unused
/// fourth byte of a plain 32-bit file is ignored.
///
/// Returns false and sets `*reason` (when given) to a short phrase for a
/// file it refuses: an unknown header or compression, a damaged header,
/// RLE data that leaves the image, data that ends early, or an image above
/// the 1 GiB pixel limit. Throws std::bad_alloc when memory runs out.
bool decodeBmp(const uint8_t *data, size_t size, decodedBitmap_t *out, std::string *reason);
