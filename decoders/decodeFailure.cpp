#include "decoders/decodeFailure.h"

#include <cstdarg>
#include <cstdio>

bool decodeFailure_t::give(const char *format, ...)
{
    if (!given_) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(reason_, sizeof reason_, format, args);
        va_end(args);
        given_ = true;
    }
    return false;
}
