// What the fuzz targets share: the inputs reach code that reads files by
// path, and the tool's progress output would drown the fuzzer's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// Sends the trace to /dev/null at full verbosity, so that every trace line
/// is still formatted (its arguments are part of what is tested).
void quietTrace();

/// A file in memory holding exactly the given bytes, reachable by path for
/// as long as the object lives.
class memoryFile_t {
public:
    memoryFile_t(const uint8_t *data, size_t size);
    ~memoryFile_t();
    memoryFile_t(const memoryFile_t &) = delete;
    memoryFile_t &operator=(const memoryFile_t &) = delete;

    const char *Path() const { return path.c_str(); }

private:
    int fd;
    std::string path;
};
