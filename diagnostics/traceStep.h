// One indentation step of the trace output for the lifetime of a scope.
#pragma once

#include "diagnostics/traceMsg.h"

/// Indents traces while alive; the step is taken back even when an
/// exception leaves the scope, so later traces keep their depth.
struct traceStep_t {
    traceStep_t() { TRACE_ident(); }
    ~traceStep_t() { TRACE_dedent(); }
    traceStep_t(const traceStep_t &) = delete;
    traceStep_t &operator=(const traceStep_t &) = delete;
};
