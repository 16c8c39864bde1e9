// Loading an image file of any supported format into an image record.
#pragma once

#include "decoders/decodeFile.h"
#include "imaging/loadedImage.h"

/// Loads an image file of any format the decoders read (decodeFile), at no
/// less than `least` when it will be zoomed down to that anyway, and traces
/// what it holds; throws dawnmarkError_t (subject "LoadImage error") when
/// the file gives no image.
loadedImage_t loadImage(const char *path, leastSize_t least = leastSize_t());
