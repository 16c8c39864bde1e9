// Narrowing a palette down to the entries that can be nearest to some colour
// of a cube of RGB space, shared by the quantizer's lookup and the palette
// refinement.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/squared.h"

/// The entries among from[0..n), in their order, that can be nearest by
/// squared RGB distance to some colour of the cube of the given edge whose
/// lowest corner is (r0, g0, b0). An entry whose closest approach to the
/// cube is farther than another entry's farthest corner is worse for every
/// colour in it. `red`, `green` and `blue` are the palette's planes.
template <typename plane_t>
void cubeSurvivors(const plane_t *red, const plane_t *green, const plane_t *blue, const uint8_t *from, size_t n,
                   unsigned r0, unsigned g0, unsigned b0, unsigned edge, std::vector<uint8_t> *out)
{
    const int lo[3] = {int(r0), int(g0), int(b0)};
    const int hi[3] = {lo[0] + int(edge) - 1, lo[1] + int(edge) - 1, lo[2] + int(edge) - 1};
    // How far an entry lies outside the cube along an axis, and how far it
    // lies from the cube's farther side.
    const auto outside = [](int value, int low, int high) {
        return value < low ? low - value : value > high ? value - high : 0;
    };
    const auto across = [](int value, int low, int high) { return std::max(value - low, high - value); };
    unsigned nearest[256];
    unsigned bound = ~0u;
    for (size_t i = 0; i < n; ++i) {
        const unsigned j = from[i];
        const int r = int(red[j]), g = int(green[j]), b = int(blue[j]);
        nearest[i] = squared(outside(r, lo[0], hi[0])) + squared(outside(g, lo[1], hi[1])) +
                     squared(outside(b, lo[2], hi[2]));
        const unsigned far = squared(across(r, lo[0], hi[0])) + squared(across(g, lo[1], hi[1])) +
                             squared(across(b, lo[2], hi[2]));
        bound = std::min(bound, far);
    }
    uint8_t kept[256];
    size_t count = 0;
    for (size_t i = 0; i < n; ++i) {
        kept[count] = from[i];
        count += nearest[i] <= bound;
    }
    out->assign(kept, kept + count);
}
