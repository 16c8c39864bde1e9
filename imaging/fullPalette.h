// Choosing a palette that uses every entry it may, refined by k-means.
#pragma once

#include "imaging/loadedImage.h"
#include "imaging/palette.h"

/// Passes of k-means at most; fewer when the colours settle.
constexpr unsigned kFullPaletteRefinements = 6;

/// A palette of up to maxColors colours (1 to 256) for an image of 1 to 2^23
/// pixels, meant to be nearer to its pixels than getOptimalPalette's.
///
/// 1. The boxes of the colour-box subdivision (subdivideColors).
/// 2. While there are fewer than maxColors boxes: the box with the largest
///    error (the first of equals in list order), where the error is
///    (n * sum |p|^2 - |sum p|^2) / n over its n pixels p, rounded down, is
///    replaced in place by its non-empty octants in octant order. It stops
///    early when every box holds a single colour.
/// 3. As getOptimalPalette: the maxColors densest boxes, equals in list
///    order, each giving the mean of its pixels rounded down.
/// 4. Up to kFullPaletteRefinements passes of k-means over the image's
///    distinct colours weighted by their pixel counts: each colour goes to
///    its nearest entry (squared RGB distance, the lowest index among
///    equals), and each entry with colours becomes their mean, rounded to
///    nearest per channel ((sum + n / 2) / n); it ends after a pass that
///    moves nothing.
palette_t *getFullPalette(loadedImage_t *image, unsigned maxColors);
