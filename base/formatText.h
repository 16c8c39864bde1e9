// printf-style formatting into std::string.
#pragma once

#include <string>

/// The text printf would print for format and its arguments.
std::string formatText(const char *format, ...) __attribute__((format(printf, 1, 2)));
