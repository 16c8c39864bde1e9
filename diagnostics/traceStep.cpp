#include "diagnostics/traceStep.h"

traceStep_t::traceStep_t(unsigned level, const char *format, ...) : steps(2)
{
    TRACE_ident();
    va_list args;
    va_start(args, format);
    TRACE(level, format, args);
    va_end(args);
    TRACE_ident();
}

traceStep_t::~traceStep_t()
{
    for (unsigned i = 0; i < steps; ++i)
        TRACE_dedent();
}
