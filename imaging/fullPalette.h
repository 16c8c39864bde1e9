// Choosing a palette that uses every entry it may, refined by k-means.
#pragma once

#include "base/secondThread.h"
#include "imaging/loadedImage.h"
#include "imaging/palette.h"
#include "imaging/pixelRuns.h"

/// Passes of k-means at most; fewer when the colours settle.
constexpr unsigned kFullPaletteRefinements = 4;

/// A palette of up to maxColors colours (1 to 256) for 1 to 2^23 pixels, meant to be nearer to its pixels than getOptimalPalette's, with
/// or without error diffusion.
///
/// 1. Colour boxes as in the subdivision (aligned cubes split into their
///    octants), but split by error: from the whole cube, the box with the
///    largest error (the first of equals in list order) is replaced in place
///    by its non-empty octants in octant order, until there are maxColors
///    boxes or more, or every box holds a single colour. A box's error is
///    (n * sum |p|^2 - |sum p|^2) / n over its n pixels p, rounded down.
/// 2. As getOptimalPalette: the maxColors densest boxes (share / volume),
///    equals in list order, each giving the mean of its pixels rounded down.
/// 3. Up to kFullPaletteRefinements passes of k-means over the image's
///    distinct colours weighted by their pixel counts: each colour goes to
///    its nearest entry (squared RGB distance, the lowest index among
///    equals), and each entry with colours becomes their mean, rounded to
///    nearest per channel ((sum + n / 2) / n) and kept inside its own box;
///    it ends after a pass that moves nothing. Kept in its box, an entry at
///    the edge of the picture's colours stays there, which error diffusion
///    needs to reproduce the picture's extremes.
/// Half of the counting and of each pass runs on `thread` (one of its own
/// when null).
palette_t getFullPalette(const pixelRuns_t &pixels, unsigned maxColors, secondThread_t *thread = nullptr);
