#include "diagnostics/traceMsg.h"

#include <cstdio>

uint32_t trace_level = 1;
uint32_t ident_level = 0;

namespace {

/// Where this thread's traces go instead of stdout, if anywhere, and their
/// depth there.
thread_local std::string *keptText = nullptr;
thread_local uint32_t keptDepth = 0;

/// The depth of this thread's traces.
uint32_t &depth() { return keptText != nullptr ? keptDepth : ident_level; }

} // namespace

traceKept_t::traceKept_t(std::string *text, uint32_t depth) : savedText(keptText), savedDepth(keptDepth)
{
    keptText = text;
    keptDepth = depth;
}

traceKept_t::~traceKept_t()
{
    keptText = savedText;
    keptDepth = savedDepth;
}

void TRACE_ident() { ++depth(); }

void TRACE_dedent()
{
    if (depth() > 0)
        --depth();
}

void TRACE_inclevel() { ++trace_level; }

bool TRACE_shows(unsigned level) { return level < trace_level; }

void TRACE(unsigned level, const char *format, va_list args)
{
    if (!TRACE_shows(level))
        return;
    // One prefix per nesting step; no newline, level tag or flush is added:
    // the format carries its own line end.
    if (keptText != nullptr) {
        for (uint32_t i = 0; i < keptDepth; ++i)
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
