// The pixels a palette is chosen for, as runs over the images that hold
// them: what the images show on a canvas, counted without drawing it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/loadedImage.h"

/// A stretch of BGRA pixels: `count` of them from `pixels` on, each `step`
/// bytes after the one before (0: one colour, repeated).
struct pixelRun_t {
    const uint8_t *pixels;
    uint32_t count;
    uint32_t step;
};

/// Pixels in runs. A palette depends on which colours there are and how
/// often, not on where they lie: the runs may come in any order.
class pixelRuns_t {
public:
    void add(const uint8_t *pixels, uint32_t count, uint32_t step = 4);

    /// How many pixels the runs hold.
    uint64_t total() const { return pixelTotal; }
    size_t runCount() const { return runs.size(); }
    /// The first run of the second half of the pixels: the runs before it
    /// hold at most half of them.
    size_t halfwayRun() const;

    /// Calls visit(pixel) for every pixel of runs [from, to).
    template <typename visit_t> void forEach(size_t from, size_t to, visit_t visit) const
    {
        for (size_t r = from; r < to; ++r) {
            const uint8_t *pixel = runs[r].pixels;
            for (uint32_t i = 0; i < runs[r].count; ++i, pixel += runs[r].step)
                visit(pixel);
        }
    }
    template <typename visit_t> void forEach(visit_t visit) const { forEach(0, runs.size(), visit); }

private:
    std::vector<pixelRun_t> runs;
    /// The sum of the runs' counts.
    uint64_t pixelTotal = 0;
};

/// The pixels of a W x H canvas drawn from the images, without drawing it:
/// each image over those before it, black where none lies.
pixelRuns_t canvasRuns(const loadedImage_t *const *images, unsigned count, unsigned W, unsigned H);
