#include "decoders/decodeFailure.h"

#include <cstdarg>
#include <cstdio>

namespace {

// One decoding runs at a time on a thread; a fixed buffer keeps the call
// usable from inside a C library's error handler.
thread_local char reason[256];
thread_local bool given = false;

} // namespace

bool decodeFailed(const char *format, ...)
{
    if (!given) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(reason, sizeof reason, format, args);
        va_end(args);
        given = true;
    }
    return false;
}

void clearDecodeFailure()
{
    given = false;
    reason[0] = '\0';
}

const char *decodeFailure() { return given ? reason : nullptr; }
