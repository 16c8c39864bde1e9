// Texts for cagada_t, which does not own its strings: a copy kept for the
// rest of the process.
#pragma once

#include <string>

/// A copy of text that stays valid until the process ends; equal texts
/// share one copy.
const char *keptText(const std::string &text);
