// Zooming with a filter: each new pixel is a weighted mean of the old
// pixels around it (Lanczos-3), so that detail finer than the new pixels
// blends into its average instead of aliasing into moiré and jagged
// edges as point sampling does.
#pragma once

#include <functional>

#include "base/secondThread.h"
#include "decoders/decodedBitmap.h"
#include "imaging/loadedImage.h"

/// resizeTo with the filter: the same new size, for --smooth. A new side
/// beyond kLongestSide, or a buffer beyond kMaxBitmapBytes, fails as an
/// allocation failure.
void resizeSmoothlyTo(loadedImage_t *image, unsigned w, unsigned h);

/// A point of a picture, as fractions of its width and height from its
/// top-left corner.
struct focusPoint_t {
    double x = 0.5;
    double y = 0.5;
};

/// Zooms, keeping the aspect ratio, so that the image just covers a w x h
/// box at its place, and crops what lies outside it: the image becomes
/// w x h, with `focus` as near the box's centre as the cut allows (a value
/// beyond 0 to 1 as the nearer end). Fails as resizeSmoothlyTo.
void coverBox(loadedImage_t *image, unsigned w, unsigned h, focusPoint_t focus = focusPoint_t());

/// resizeSmoothlyTo, and moves the image so that it is centred in the
/// w x h box at its place.
void fitInBox(loadedImage_t *image, unsigned w, unsigned h);

/// A filtered zoom, as an image's entry asks for it.
struct filteredZoom_t {
    enum kind_t { none, boundingBox, covering, within } kind = none;
    unsigned width = 0;
    unsigned height = 0;
    focusPoint_t focus; ///< for covering
};

/// The pixels of old row `row` (width * 4 bytes), asked for in rising order,
/// each once at most: rows that a cut drops are skipped.
using oldRows_t = std::function<const uint8_t *(uint32_t row)>;

/// Zooms as resizeSmoothlyTo, coverBox or fitInBox; on this thread and
/// `thread`, when given, with the same result.
void zoomAsPlanned(loadedImage_t *image, const filteredZoom_t &zoom, secondThread_t *thread = nullptr);

/// zoomAsPlanned for a picture whose rows come from `rows` rather than from
/// an image: `picture` tells its size, alpha and overhang (its pixels are
/// not read). The same rows give the same image either way; a zoom that
/// leaves the pixels as they are takes every row as it is.
loadedImage_t zoomRowsAsPlanned(const decodedBitmap_t &picture, const filteredZoom_t &zoom, const oldRows_t &rows);
