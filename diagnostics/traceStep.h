// One indentation step of the trace output for the lifetime of a scope.
#pragma once

#include "diagnostics/traceMsg.h"

/// Indents traces while alive; its steps are taken back even when an
/// exception leaves the scope, so later traces keep their depth.
struct traceStep_t {
    traceStep_t() : steps(1) { TRACE_ident(); }
    /// A titled step: one step in, the title traced there at `level` (a
    /// TRACE format with its own line end), and a second step in for the
    /// work under the title.
    traceStep_t(unsigned level, const char *format, ...) __attribute__((format(printf, 3, 4)));
    ~traceStep_t();
    traceStep_t(const traceStep_t &) = delete;
    traceStep_t &operator=(const traceStep_t &) = delete;

private:
    unsigned steps;
};
