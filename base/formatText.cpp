#include "base/formatText.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::string formatText(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int size = vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::vector<char> text(size > 0 ? size_t(size) + 1 : 1, '\0');
    if (size > 0)
        vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    return std::string(text.data());
}
