// 32-bit little-endian integers, the only integer encoding of boot loader
// files and icon packs.
#pragma once

#include <cstdint>

inline uint32_t getLE32(const unsigned char *bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

inline void putLE32(unsigned char *bytes, uint32_t value)
{
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
    bytes[2] = uint8_t(value >> 16);
    bytes[3] = uint8_t(value >> 24);
}
