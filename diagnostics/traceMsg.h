// The trace facility: every progress and diagnostic line of the tool goes
// through TRACE, which filters by level and indents nested work with "... ".
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

/// Verbosity threshold: a message of level L is written when L < trace_level.
extern uint32_t trace_level;
/// Nesting depth: how many "... " prefixes stand in front of each message
/// (a thread under a traceKept_t has its own).
extern uint32_t ident_level;

void TRACE_ident();
/// Never goes below zero.
void TRACE_dedent();
/// One step more verbose; called once per -v.
void TRACE_inclevel();
/// Whether a message of this level is written: work done only for such a
/// message is skipped when it is not.
bool TRACE_shows(unsigned level);

/// While alive, the traces of the thread that made it are added to `text`
/// rather than written, at a nesting depth of the thread's own that starts
/// at `depth`: work done on another thread can then be traced in the order
/// of the work, not of the threads.
class traceKept_t {
public:
    traceKept_t(std::string *text, uint32_t depth);
    ~traceKept_t();
    traceKept_t(const traceKept_t &) = delete;
    traceKept_t &operator=(const traceKept_t &) = delete;

private:
    std::string *savedText;
    uint32_t savedDepth;
};

void TRACE(unsigned level, const char *format, va_list args);
void TRACE(unsigned level, const char *format, ...) __attribute__((format(printf, 2, 3)));
