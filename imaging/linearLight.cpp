#include "imaging/linearLight.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

/// The sRGB transfer curve, from a level's fraction 0 to 1 to light.
double sRgbToLinear(double fraction)
{
    return fraction <= 0.04045 ? fraction / 12.92 : std::pow((fraction + 0.055) / 1.055, 2.4);
}

/// Slots of the light from 0 to 1 that levelOfLinear starts its search in:
/// enough that it takes at most a few steps beyond the slot's own level,
/// even in the dark, where levels lie closest in light.
constexpr int kLightSlots = 8192;

struct lightTables_t {
    std::array<float, 256> light;
    /// Where level k + 1 becomes nearer than level k: the light of the
    /// half level between them, so that the comparison is exact rounding
    /// in levels without evaluating the inverse curve.
    std::array<float, 255> halfway;
    /// The level of the light at the start of each slot.
    std::array<uint8_t, kLightSlots> slotLevel;
    lightTables_t()
    {
        for (int k = 0; k < 256; ++k)
            light[k] = float(sRgbToLinear(k / 255.0));
        for (int k = 0; k < 255; ++k)
            halfway[k] = float(sRgbToLinear((k + 0.5) / 255.0));
        for (int slot = 0; slot < kLightSlots; ++slot)
            slotLevel[slot] = uint8_t(std::upper_bound(halfway.begin(), halfway.end(), float(slot) / kLightSlots) -
                                      halfway.begin());
    }
};

// Built before main, so that no call pays for a guard.
const lightTables_t kLightTables;

} // namespace


const float *linearOfLevels() { return kLightTables.light.data(); }

uint8_t levelOfLinear(float linear)
{
    if (!(linear > 0))
        return 0;
    if (linear >= 1)
        return 255;
    unsigned level = kLightTables.slotLevel[unsigned(linear * kLightSlots)];
    while (level < 255 && linear >= kLightTables.halfway[level])
        ++level;
    return uint8_t(level);
}
