// Stand-in for the status codes of the original platform's Translation Kit.
#pragma once

#include "platform/SupportDefs.h"

/// Status of a translation that no installed translator can perform.
enum : status_t { B_NO_TRANSLATOR = INT32_MIN + 0x4800 };
