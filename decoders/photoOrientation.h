// The way a photo is meant to be seen, as its EXIF block says: cameras and
// phones store the sensor's rows as they come and only tag which side is up.
#pragma once

#include <cstdint>
#include <vector>

#include "decoders/decodedBitmap.h"

/// What stands before an EXIF block's TIFF header in a JPEG's APP1 marker,
/// and in front of some WebP files' EXIF chunks.
constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

/// Stored mirrored left to right: the one orientation whose rows are each
/// turned on their own.
constexpr unsigned kMirroredOrientation = 2;

/// The EXIF orientation (1 to 8) of a block from its TIFF header on; 1, as
/// stored, when the block is empty, unreadable or has no usable tag. Never
/// throws.
unsigned exifOrientation(const std::vector<uint8_t> &exif) noexcept;

/// Whether a picture stored in `orientation` lies on its side (5 to 8):
/// upright, its width and height swap.
bool orientationSwapsSides(unsigned orientation);

/// Whether a picture stored in `orientation` is upright row by row in the
/// file's order (1, as stored, or mirrored within each row), so that it can
/// be read a row at a time; the others are turned as a whole.
inline bool uprightByRows(unsigned orientation) { return orientation == 1 || orientation == kMirroredOrientation; }

/// Turns pixels stored in `orientation` upright (mirrored and rotated as
/// the tag says); orientation 1 leaves the bitmap untouched. May throw
/// std::bad_alloc.
void turnUpright(decodedBitmap_t *bitmap, unsigned orientation);
