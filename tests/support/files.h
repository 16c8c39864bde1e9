// Whole-file reading and writing for the tests.
#pragma once

#include <cstddef>
#include <string>

#include "support/bytes.h"

/// Writes `size` bytes to `path`, replacing any file there; throws on failure.
void writeFile(const std::string &path, const void *data, size_t size);
void writeFile(const std::string &path, const bytes_t &bytes);
void writeFile(const std::string &path, const std::string &content);

/// The whole content of `path` (empty when it cannot be read), as text or
/// as bytes.
std::string readFile(const std::string &path);
bytes_t readBytes(const std::string &path);
