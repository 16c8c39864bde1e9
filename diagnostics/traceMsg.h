// The trace facility: every progress and diagnostic line of the tool goes
// through TRACE, which filters by level and indents nested work with "... ".
#pragma once

#include <cstdarg>
#include <cstdint>

/// Verbosity threshold: a message of level L is written when L < trace_level.
extern uint32_t trace_level;
/// Nesting depth: how many "... " prefixes stand in front of each message.
extern uint32_t ident_level;

void TRACE_ident();
/// Never goes below zero.
void TRACE_dedent();
/// One step more verbose; called once per -v.
void TRACE_inclevel();
void TRACE_setlevel(unsigned level);

void TRACE(unsigned level, const char *format, va_list args);
void TRACE(unsigned level, const char *format, ...) __attribute__((format(printf, 2, 3)));
