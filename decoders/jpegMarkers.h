// The markers of a JPEG that say how its photo is meant to be seen: the
// EXIF block (APP1) and the ICC colour profile (APP2, split over several
// markers when large).
#pragma once

#include <cstdio>

#include <jpeglib.h>

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"

/// Asks the library to keep those markers; called before the header is read.
void keepPhotoMarkers(j_decompress_ptr info);

/// Copies the kept EXIF block (from its TIFF header on) and colour profile
/// into the bitmap. A damaged profile is left out rather than refusing the
/// picture. False when memory runs out, after giving the reason.
bool takePhotoMarkers(j_decompress_ptr info, decodedBitmap_t *bitmap, decodeFailure_t *failure);
