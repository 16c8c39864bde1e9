// How a failed description ends. The tool ends the process on the spot; a
// caller that parses many descriptions in one process (a fuzzer, a test) can
// install a hook that throws instead.
#pragma once

/// Called with the exit status; must not return (it may throw).
using descriptionFailureHook_t = void (*)(int status);

/// Installs a hook; nullptr restores the default, which exits.
void setDescriptionFailureHook(descriptionFailureHook_t hook);

/// Ends the description phase with `status`, through the hook if one is set.
[[noreturn]] void failDescription(int status);
