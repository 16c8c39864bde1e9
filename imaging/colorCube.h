// The boxes of RGB space that palette selection splits: internal to it, and
// shared only with its tests.
#pragma once

#include <cstdint>

/// An axis-aligned box of RGB space with its statistics.
struct colorCube_t {
    uint8_t rMin, rMax;
    uint8_t gMin, gMax;
    uint8_t bMin, bMax;
    uint8_t rCanon, gCanon, bCanon;
    uint32_t hits;
    double share;
    double density;
};

/// Writes the source box's eight octants into destination[0..7].
void splitCube(colorCube_t *destination, colorCube_t *source);
