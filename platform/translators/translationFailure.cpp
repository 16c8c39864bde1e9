#include "platform/translators/translationFailure.h"

#include <cstdarg>
#include <cstdio>

#include "platform/translators/Translator.h"

namespace {

// One translation runs at a time; a fixed buffer keeps the call usable
// from inside a C library's error handler.
char reason[256];
bool given = false;

} // namespace

status_t translationFailed(const char *format, ...)
{
    if (!given) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(reason, sizeof reason, format, args);
        va_end(args);
        given = true;
    }
    return B_NO_TRANSLATOR;
}

void clearTranslationFailure()
{
    given = false;
    reason[0] = '\0';
}

const char *translationFailure() { return given ? reason : nullptr; }
