// The bitmap stream ('bits'), the original platform's own 32-bit image
// format: a 32-byte big-endian header (magic, bounds as four floats, bytes
// per row, colour space, bytes of pixel data), then the pixels as they are.
// Its header is a claim about the pixels, which the loader shows before it
// is judged; so this decoder reads the header and takes the pixels in two
// steps.
#pragma once

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"

/// Colour space codes of the header: blue, green, red and an unused byte;
/// blue, green, red and alpha.
enum : uint32_t {
    kColorsRgb32 = 0x0008,
    kColorsRgba32 = 0x2008,
};

/// The header fields the loader shows of every image. The bounds are not
/// read: the width comes from the row size, the height from the data size.
struct bitmapStreamHeader_t {
    uint32_t rowBytes = 0;
    uint32_t colors = 0;
    uint32_t dataSize = 0; ///< bytes of pixel data after the header
};

/// The header that a stream of a picture of this size would carry; its
/// pixels need not be there yet.
bitmapStreamHeader_t bitmapStreamHeaderOf(const decodedBitmap_t &bitmap);

/// Whether `data` starts with the magic in either byte order: a stream
/// written little-endian is refused with a reason rather than taken for an
/// unknown file.
bool looksLikeBitmapStream(const uint8_t *data, size_t size);

/// Reads the header of a file that looksLikeBitmapStream. Refuses (false,
/// with its reason) a file shorter than the header, with an empty reason,
/// and one whose magic is little-endian.
bool readBitmapStreamHeader(const uint8_t *data, size_t size, bitmapStreamHeader_t *header,
                            decodeFailure_t *failure);

/// Takes the pixels that `header`, read from the same file, announces, byte
/// for byte as they come: rowBytes / 4 pixels a row, as many whole rows as
/// dataSize holds (possibly none); the fourth byte is kept as it is, alpha
/// or not. A payload shorter than dataSize leaves black (zero) bytes; the
/// buffer is allocated for all of dataSize and keeps the bytes past the last
/// whole row beyond its end. Refuses (false, with its reason), before
/// allocating, a colour space other than kColorsRgb32 and kColorsRgba32,
/// rows smaller than one pixel and pixel data beyond kMaxBitmapBytes. May
/// throw std::bad_alloc.
bool decodeBitmapStream(const uint8_t *data, size_t size, const bitmapStreamHeader_t &header,
                        decodedBitmap_t *out, decodeFailure_t *failure);
