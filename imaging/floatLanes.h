// Four floats worked on at once, for the colour distance kernels. Their
// values are whole numbers below 2^24 (components, their differences,
// squares and sums of three squares), which a float holds exactly: sums,
// products and comparisons in lanes give the very answers integer
// arithmetic gives. The compiler's vector extension turns them into the
// target's vector instructions (SSE2 on every x86-64), with no intrinsics.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

typedef float floatLanes_t __attribute__((vector_size(16)));
typedef int32_t intLanes_t __attribute__((vector_size(16)));

constexpr unsigned kLanes = 4;

inline floatLanes_t splatLanes(float v) { return floatLanes_t{v, v, v, v}; }

inline floatLanes_t loadLanes(const float *from)
{
    floatLanes_t lanes;
    std::memcpy(&lanes, from, sizeof lanes);
    return lanes;
}

inline void storeLanes(float *to, floatLanes_t lanes) { std::memcpy(to, &lanes, sizeof lanes); }

inline floatLanes_t lanesMin(floatLanes_t a, floatLanes_t b) { return a < b ? a : b; }
inline floatLanes_t lanesMax(floatLanes_t a, floatLanes_t b) { return a > b ? a : b; }

inline float lowestLane(floatLanes_t v)
{
    const float low = v[0] < v[1] ? v[0] : v[1], high = v[2] < v[3] ? v[2] : v[3];
    return low < high ? low : high;
}

/// Colours as lanes: groups of four candidates' components, the last group
/// filled up with a colour far outside RGB space that is never nearest and
/// never lowers a bound.
struct colorLanes_t {
    static constexpr float kFar = 1024;
    float red[256 + kLanes], green[256 + kLanes], blue[256 + kLanes];
    size_t count = 0, groups = 0;

    template <typename plane_t>
    void gather(const plane_t *planeRed, const plane_t *planeGreen, const plane_t *planeBlue, const uint8_t *from,
                size_t n)
    {
        for (size_t i = 0; i < n; ++i) {
            red[i] = float(planeRed[from[i]]);
            green[i] = float(planeGreen[from[i]]);
            blue[i] = float(planeBlue[from[i]]);
        }
        count = n;
        groups = (n + kLanes - 1) / kLanes;
        for (size_t i = n; i < groups * kLanes; ++i)
            red[i] = green[i] = blue[i] = kFar;
    }

    /// Squared distances from (r, g, b) to group `g`.
    floatLanes_t distances(size_t g, floatLanes_t r, floatLanes_t gr, floatLanes_t b) const
    {
        const floatLanes_t dr = loadLanes(red + g * kLanes) - r, dg = loadLanes(green + g * kLanes) - gr,
                           db = loadLanes(blue + g * kLanes) - b;
        return dr * dr + dg * dg + db * db;
    }

    /// The position of the nearest candidate to (r, g, b), the first of
    /// equals; there is at least one candidate. Distance above, position
    /// below: the smallest key is the answer, found without branches.
    unsigned nearest(unsigned r, unsigned g, unsigned b) const
    {
        const floatLanes_t R = splatLanes(float(r)), G = splatLanes(float(g)), B = splatLanes(float(b));
        intLanes_t at = {0, 1, 2, 3};
        intLanes_t best = __builtin_convertvector(distances(0, R, G, B), intLanes_t) << 8 | at;
        for (size_t group = 1; group < groups; ++group) {
            at += int32_t(kLanes);
            const intLanes_t key = __builtin_convertvector(distances(group, R, G, B), intLanes_t) << 8 | at;
            best = key < best ? key : best;
        }
        const int32_t low = std::min(best[0], best[1]), high = std::min(best[2], best[3]);
        return unsigned(std::min(low, high) & 0xff);
    }
};
