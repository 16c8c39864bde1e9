// Narrowing a palette down to the entries that can be nearest to some colour
// of a cube of RGB space, shared by the quantizer's lookup and the palette
// refinement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/floatLanes.h"

/// The entries among `lanes` (palette entries from[0..lanes.count)), in their
/// order, that can be nearest by squared RGB distance to some colour of the
/// cube of the given edge whose lowest corner is (r0, g0, b0). An entry whose
/// closest approach to the cube is farther than another entry's farthest
/// corner is worse for every colour in it.
inline void cubeSurvivors(const colorLanes_t &lanes, const uint8_t *from, unsigned r0, unsigned g0, unsigned b0,
                          unsigned edge, std::vector<uint8_t> *out)
{
    const floatLanes_t zero = splatLanes(0);
    const floatLanes_t lo[3] = {splatLanes(float(r0)), splatLanes(float(g0)), splatLanes(float(b0))};
    const floatLanes_t hi[3] = {lo[0] + float(edge - 1), lo[1] + float(edge - 1), lo[2] + float(edge - 1)};
    const float *planes[3] = {lanes.red, lanes.green, lanes.blue};
    float nearest[256 + kLanes];
    floatLanes_t bound = splatLanes(3 * colorLanes_t::kFar * colorLanes_t::kFar);
    for (size_t g = 0; g < lanes.groups; ++g) {
        floatLanes_t near = zero, far = zero;
        for (unsigned axis = 0; axis < 3; ++axis) {
            const floatLanes_t v = loadLanes(planes[axis] + g * kLanes);
            // How far outside the cube along this axis, and how far from its
            // farther side.
            const floatLanes_t outside = lanesMax(lanesMax(lo[axis] - v, v - hi[axis]), zero);
            const floatLanes_t across = lanesMax(v - lo[axis], hi[axis] - v);
            near += outside * outside;
            far += across * across;
        }
        storeLanes(nearest + g * kLanes, near);
        bound = lanesMin(bound, far);
    }
    const float limit = lowestLane(bound);
    uint8_t kept[256];
    size_t count = 0;
    for (size_t i = 0; i < lanes.count; ++i) {
        kept[count] = from[i];
        count += nearest[i] <= limit;
    }
    out->assign(kept, kept + count);
}

/// The same for the entries from[0..n) of a palette's planes.
template <typename plane_t>
void cubeSurvivors(const plane_t *red, const plane_t *green, const plane_t *blue, const uint8_t *from, size_t n,
                   unsigned r0, unsigned g0, unsigned b0, unsigned edge, std::vector<uint8_t> *out)
{
    colorLanes_t lanes;
    lanes.gather(red, green, blue, from, n);
    cubeSurvivors(lanes, from, r0, g0, b0, edge, out);
}
