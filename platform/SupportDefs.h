// Stand-in for the basic types and status codes of the original platform's
// Support Kit, as far as the image loading needs them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

typedef int32_t int32;
typedef uint32_t uint32;
typedef uint64_t uint64;
typedef int32 status_t;
typedef uint32 type_code;

/// A four-character code as the platform writes it ('bits', 'LONG'), built
/// without multi-character literals, whose value the compiler may choose.
constexpr uint32 fourCharCode(const char (&code)[5])
{
    return (uint32(uint8_t(code[0])) << 24) | (uint32(uint8_t(code[1])) << 16) |
           (uint32(uint8_t(code[2])) << 8) | uint32(uint8_t(code[3]));
}

enum : status_t {
    B_OK = 0,
    B_ERROR = -1,
    B_NO_MEMORY = -2147483647 - 1,
    B_BAD_VALUE = -2147483647,
    B_IO_ERROR = -2147483646,
    B_NO_INIT = -2147483645,
};
