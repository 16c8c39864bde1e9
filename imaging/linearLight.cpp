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

struct tables_t {
    std::array<float, 256> light;
    /// Where level k + 1 becomes nearer than level k: the light of the
    /// half level between them, so that the comparison is exact rounding
    /// in levels without evaluating the inverse curve.
    std::array<float, 255> halfway;
    tables_t()
    {
        for (int k = 0; k < 256; ++k)
            light[k] = float(sRgbToLinear(k / 255.0));
        for (int k = 0; k < 255; ++k)
            halfway[k] = float(sRgbToLinear((k + 0.5) / 255.0));
    }
};

const tables_t &tables()
{
    static const tables_t built;
    return built;
}

} // namespace

float linearOfLevel(uint8_t level) { return tables().light[level]; }

uint8_t levelOfLinear(float linear)
{
    const std::array<float, 255> &halfway = tables().halfway;
    return uint8_t(std::upper_bound(halfway.begin(), halfway.end(), linear) - halfway.begin());
}
