// Stand-in for the colour space codes of the original platform.
#pragma once

#include "platform/SupportDefs.h"

enum color_space : uint32 {
    /// Blue, green, red, unused byte.
    B_RGB32 = 0x0008,
    /// Blue, green, red, alpha.
    B_RGBA32 = 0x2008,
};
