// Choosing a palette that uses every entry it may, refined by k-means.
#pragma once

#include "base/secondThread.h"
#include "imaging/loadedImage.h"
#include "imaging/palette.h"
#include "imaging/pixelRuns.h"

/// Passes of k-means at most; fewer when the colours settle.
constexpr unsigned kFullPaletteRefinements = 4;

/// A palette of up to maxColors colours (1 to 256) for 1 to 2^23 pixels, meant to be nearer to its pixels than getOptimalPalette's, with
/// or without error diffusion, next to the `fixed` colours when given
/// (colours that are there already, maxColors + fixed->size() at most
/// 256): those are never chosen again and count as chosen.
///
/// 0. Pixels of a fixed colour are left out: they need no entry. When no
///    pixel is left, no colour is chosen.
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
///    its nearest entry among the chosen ones followed by the fixed ones
///    (squared RGB distance, the lowest index among equals), and each
///    chosen entry with colours becomes their mean, rounded to nearest per
///    channel ((sum + n / 2) / n) and kept inside its own box; fixed ones
///    stay. It ends after a pass that moves nothing. Kept in its box, an
///    entry at the edge of the picture's colours stays there, which error
///    diffusion needs to reproduce the picture's extremes.
/// 4. An entry equal to a fixed colour or to an earlier entry is dropped,
///    the later entries moving up: no entry is spent twice.
/// Half of the counting and of each pass runs on `thread`.
palette_t getFullPalette(const pixelRuns_t &pixels, unsigned maxColors, const palette_t *fixed,
                         secondThread_t &thread);
