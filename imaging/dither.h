// Mapping an image to a palette with error diffusion.
#pragma once

#include "imaging/loadedImage.h"
#include "imaging/palette.h"
#include "imaging/quantize.h"

#include <cstdint>
#include <vector>

/// Levels a pixel may be asked to be off its own colour, per channel, by
/// the error owed to it.
constexpr int kDitherErrorLimit = 24;
/// Passes that lower the blurred error after the diffusion: a second one
/// gains about half as much again, for about half the time of a default run.
constexpr int kDitherRefinements = 1;
/// Half the width of the weights that blur the error, in pixels.
constexpr int kDitherBlurRadius = 5;
/// One side of those weights: 16 * exp(-d^2 / 9) rounded, a Gaussian of
/// sigma 2.12, the autocorrelation of a blur of sigma 1.5 (what the eye
/// makes of grain); the weight of (dx, dy) is side[|dx|] * side[|dy|].
constexpr int32_t kDitherBlurSide[kDitherBlurRadius + 1] = {16, 14, 10, 6, 3, 1};
/// The entries near an entry that a pass tries in its place.
constexpr unsigned kDitherNeighbours = 6;
/// Levels, per channel, that an entry a pass puts in may be off the source.
constexpr int kDitherReach = 40;

/// What dithering works out once for a palette, for every image mapped to
/// it.
class ditherPalette_t {
public:
    explicit ditherPalette_t(const palette_t &palette);

    /// A change to a neighbour: 2 D, D the change per channel, and |D|^2
    /// times the centre weight.
    struct step_t {
        double twice[3];
        double centre;
    };

    /// Every entry's red, green and blue.
    const int32_t (&colours() const)[256][3] { return colour; }
    unsigned neighbourCount() const { return neighboursEach; }
    /// Entry j's nearest other entries, neighbourCount() of them.
    const uint8_t *neighboursOf(unsigned j) const { return neighbours.data() + size_t(j) * neighboursEach; }
    /// The change to each of neighboursOf(j).
    const step_t *stepsOf(unsigned j) const { return steps.data() + size_t(j) * neighboursEach; }
    double nearestLimitOf(unsigned j) const { return nearestLimit[j]; }
    int32_t spacingOf(unsigned j) const { return spacing[j]; }
    /// Every entry's error limit.
    const int32_t *errorLimits() const { return errorLimit; }

private:
    int32_t colour[256][3] = {};
    /// Each entry's kDitherNeighbours nearest other entries (fewer in a
    /// smaller palette), nearest first, the lowest index among equals, and
    /// the change to each.
    unsigned neighboursEach = 0;
    std::vector<uint8_t> neighbours;
    std::vector<step_t> steps;
    /// Per entry, the squared distance d to its nearest other entry times
    /// the centre weight, squared: while 4 |b|^2 is no more, for b the
    /// blurred error at a pixel, no neighbour lowers it; d rounded down; and
    /// the error limit after the entry, in sixteenths of a level.
    double nearestLimit[256] = {};
    int32_t spacing[256] = {};
    int32_t errorLimit[256] = {};
};

/// Maps every pixel of the image to a palette entry with Floyd-Steinberg
/// error diffusion, rows alternately left to right (row 0) and right to
/// left, into `indices` (width * height bytes), through the palette's
/// lookup (see lookupFor; a wandering one suits it best), then lowers the
/// error the eye sees, telling `rowsMapped` as rows are final.
///
/// Diffusion, per channel, in sixteenths of a level: the wanted value is 16
/// * colour plus the error owed to the pixel clamped to +-16 * L, all
/// clamped to 0..4080, where L is kDitherErrorLimit, or for a pixel after
/// the first (in the order visited, across rows) the distance from the entry
/// the one before took to its nearest other entry, rounded down, when that
/// is more; the entry nearest to the
/// wanted colour rounded to whole levels ((wanted + 8) / 16) is chosen,
/// ties to the lowest index; the error e = wanted - 16 * entry goes to the
/// pixel ahead (e * 7 / 16), behind below (e * 3 / 16), below (e * 5 / 16)
/// and ahead below (the rest, so that nothing is lost but what would fall
/// outside the image), each quotient rounded toward zero.
///
/// Refinement: the error (entry - source, whole levels) blurred by the
/// weights w(dx, dy) of kDitherBlurSide is lowered pixel by pixel. Once row
/// y is diffused, pass p = 1 .. kDitherRefinements visits row y -
/// p * kDitherBlurRadius (after the last row, the rows that
/// are left, as if rows went on), left to right. At each pixel, first, an
/// entry more than kDitherReach levels off the source in some channel, and
/// more than the distance from the entry nearest to the source (as the
/// lookup finds it) to that entry's nearest other entry (rounded down), is
/// a speck: the entry nearest to the source takes its place. Then, among the
/// kDitherNeighbours entries nearest to its entry (the lowest index among
/// equals) that are within kDitherReach levels of the source in every
/// channel, the one whose change D lowers the squared blurred error most,
/// by 2 D.b + |D|^2 w(0, 0) < 0 with b the blurred error there, takes its
/// place; the first among equals. Integer sums: the result does not depend
/// on the order they are added in.
///
/// A palette without colours leaves every index at 255, as quantizeImage.
///
/// `prepared`, when given, holds the tables of this palette.
void ditherInto(const loadedImage_t *image, const palette_t *palette, paletteLookup_t *lookup, uint8_t *indices,
                const rowsMapped_t &rowsMapped, const ditherPalette_t *prepared = nullptr);
