#include "diagnostics/traceMsg.h"

#include <cstdio>

uint32_t trace_level = 1;
thread_local uint32_t ident_level = 0;

namespace {

/// Where this thread's traces go instead of stdout, if anywhere.
thread_local std::string *keptText = nullptr;

} // namespace

traceKept_t::traceKept_t(std::string *text, uint32_t depth) : savedText(keptText), savedDepth(ident_level)
{
    keptText = text;
    ident_level = depth;
}

traceKept_t::~traceKept_t()
{
    keptText = savedText;
    ident_level = savedDepth;
}

void TRACE_ident() { ++ident_level; }

void TRACE_dedent()
{
    if (ident_level > 0)
        --ident_level;
}

void TRACE_inclevel() { ++trace_level; }

void TRACE_setlevel(unsigned level) { trace_level = level; }

void TRACE(unsigned level, const char *format, va_list args)
{
    if (level >= trace_level)
        return;
    // One prefix per nesting step; no newline, level tag or flush is added:
    // the format carries its own line end.
    if (keptText != nullptr) {
        for (uint32_t i = 0; i < ident_level; ++i)
            keptText->append("... ");
        va_list again;
        va_copy(again, args);
        const int length = vsnprintf(nullptr, 0, format, again);
        va_end(again);
        if (length > 0) {
            const size_t at = keptText->size();
            keptText->resize(at + size_t(length) + 1);
            vsnprintf(&(*keptText)[at], size_t(length) + 1, format, args);
            keptText->resize(at + size_t(length));
        }
        return;
    }
    for (uint32_t i = 0; i < ident_level; ++i)
        fprintf(stdout, "... ");
    vfprintf(stdout, format, args);
}

void TRACE(unsigned level, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    TRACE(level, format, args);
    va_end(args);
}
