// Feeds a text to the description scanner, which reads from a FILE.
#pragma once

#include <cstdio>
#include <string>

/// Makes `text` the scanner's whole input, line counter at 1. The returned
/// file stays open until the next call.
FILE *scanText(const std::string &text);
