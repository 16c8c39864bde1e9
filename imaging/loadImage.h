// Loading an image file of any supported format into an image record.
#pragma once

#include <string>

#include "decoders/decodeFile.h"
#include "diagnostics/errors.h"
#include "imaging/loadedImage.h"

/// What loadImage throws for a file that gives no image: the error of
/// the description form (subject "LoadImage error"), whose reason says why
/// only for a bitmap stream's header, and why in every case.
struct imageRefusal_t : dawnmarkError_t {
    imageRefusal_t(const char *reason, std::string why);
    std::string why; ///< the decoder's words, such as "unknown file format"
};

/// Loads an image file of any format the decoders read (decodeFile), at no
/// less than `least` when it will be zoomed down to that anyway, and traces
/// what it holds; throws imageRefusal_t when the file gives no image.
loadedImage_t loadImage(const char *path, leastSize_t least = leastSize_t());
