// Loading an image file of any supported format into an image record.
#pragma once

#include <string>

#include "base/secondThread.h"
#include "decoders/decodeFile.h"
#include "diagnostics/errors.h"
#include "imaging/loadedImage.h"
#include "imaging/smoothResize.h"

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

/// An image loaded and zoomed, and the size it was decoded in.
struct zoomedLoad_t {
    loadedImage_t image;
    uint32_t storedWidth = 0;
    uint32_t storedHeight = 0;
};

/// loadImage, then zoomAsPlanned, the zoom's lines after the load's. A PNG
/// or JPEG file (openFileRows) is decoded a row at a time, never read whole,
/// and a picture zoomed down is zoomed as it is decoded, never held whole:
/// the same pixels and lines, in a fraction of the memory. Given `thread`,
/// the rows of a picture to be zoomed are decoded there while this thread
/// zooms them, and a picture decoded whole is zoomed on both.
zoomedLoad_t loadImageZoomed(const char *path, leastSize_t least, const filteredZoom_t &zoom,
                             secondThread_t *thread = nullptr);
