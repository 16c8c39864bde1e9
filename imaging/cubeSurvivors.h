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
    unsigned nearest[256];
    unsigned bound = ~0u;
    for (size_t i = 0; i < n; ++i) {
        const unsigned j = from[i];
        const int value[3] = {int(red[j]), int(green[j]), int(blue[j])};
        unsigned near = 0, far = 0;
        for (unsigned axis = 0; axis < 3; ++axis) {
            near += squared(std::max({lo[axis] - value[axis], value[axis] - hi[axis], 0}));
            far += squared(std::max(value[axis] - lo[axis], hi[axis] - value[axis]));
        }
        nearest[i] = near;
        bound = std::min(bound, far);
    }
    out->clear();
    for (size_t i = 0; i < n; ++i)
        if (nearest[i] <= bound)
            out->push_back(from[i]);
}
