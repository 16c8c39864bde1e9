// Loading an image file of any supported format into an image record.
#pragma once

#include <cstdint>

#include "imaging/loadedImage.h"

/// Loads an image file through the translators; throws imgtoolsError_t.
loadedImage_t loadImage(const char *path);

/// loadImage for an image that will be zoomed down to minWidth x minHeight
/// or less: a JPEG is decoded at the smallest of its reduced scales that is
/// still at least that large (decodeJpegAtLeast), with the same trace.
loadedImage_t loadImageAtLeast(const char *path, uint32_t minWidth, uint32_t minHeight);
