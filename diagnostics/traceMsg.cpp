#include "diagnostics/traceMsg.h"

#include <cstdio>

uint32_t trace_level = 1;
uint32_t ident_level = 0;

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
