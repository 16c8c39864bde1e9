// Colour numbers that interleave the bits of red, green and blue, red lowest
// in each triple: an aligned cube of colours of edge 2^e is one run of such
// numbers, 2^3e long, and its octants are eight consecutive runs.
#pragma once

#include <cstdint>

namespace colorCodeTables {

/// Bit i of a component moved to bit 3i, and each byte of a colour number
/// taken back to its components, as red << 16 | green << 8 | blue.
struct tables_t {
    uint32_t spread[256] = {};
    uint32_t gather[3][256] = {};

    constexpr tables_t()
    {
        for (unsigned v = 0; v < 256; ++v) {
            for (unsigned bit = 0; bit < 8; ++bit)
                spread[v] |= ((v >> bit) & 1u) << (3 * bit);
            for (unsigned byte = 0; byte < 3; ++byte)
                for (unsigned bit = 0; bit < 8; ++bit) {
                    const unsigned at = 8 * byte + bit;
                    gather[byte][v] |= ((v >> bit) & 1u) << (16 - 8 * (at % 3) + at / 3);
                }
        }
    }
};

inline constexpr tables_t tables{};

} // namespace colorCodeTables

/// The 24-bit number of the colour (r, g, b).
inline uint32_t colorCode(unsigned r, unsigned g, unsigned b)
{
    const colorCodeTables::tables_t &t = colorCodeTables::tables;
    return t.spread[r] | t.spread[g] << 1 | t.spread[b] << 2;
}

/// The colour a number stands for, as red << 16 | green << 8 | blue.
inline uint32_t colorOfCode(uint32_t code)
{
    const colorCodeTables::tables_t &t = colorCodeTables::tables;
    return t.gather[0][code & 0xff] | t.gather[1][(code >> 8) & 0xff] | t.gather[2][code >> 16];
}
