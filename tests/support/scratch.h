// Scratch space for tests: directories that disappear with the test program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// A new empty directory under $TMPDIR (or /tmp). It is removed, with all it
/// holds, when the test program ends.
std::string makeScratchDirectory();

/// Writes `size` bytes to `path`, replacing any file there; throws on failure.
void writeFileBytes(const std::string &path, const void *data, size_t size);

/// The whole content of `path` (empty when it cannot be read).
std::string fileContent(const std::string &path);

/// This test program's own scratch directory, made on first use.
std::string scratchDirectory();

/// Writes `content` to a file of that name in scratchDirectory(); returns its path.
std::string writeScratchFile(const std::string &name, const std::vector<uint8_t> &content);
