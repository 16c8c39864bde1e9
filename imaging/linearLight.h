// sRGB levels as light: the filtered zooms mix light, not the levels that
// stand for it, since a mean of levels darkens fine detail (a black and
// white checkerboard averages to level 128, which looks darker than the
// pattern does from afar; in light it is level 188).
#pragma once

#include <cstdint>

/// The light each 8-bit sRGB level stands for, 0 to 1, for all 256 levels.
const float *linearOfLevels();

/// The 8-bit sRGB level nearest (in levels) to the light `linear`; values
/// beyond 0 to 1 are taken as the nearer end.
uint8_t levelOfLinear(float linear);
