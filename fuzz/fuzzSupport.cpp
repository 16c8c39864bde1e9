#include "fuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

#include "diagnostics/traceMsg.h"
#include "base/transferFully.h"

void quietTrace()
{
    if (freopen("/dev/null", "w", stdout) == nullptr)
        abort();
    trace_level = 9;
}

memoryFile_t::memoryFile_t(const uint8_t *data, size_t size) : fd(memfd_create("fuzz-input", MFD_CLOEXEC))
{
    if (fd < 0)
        abort();
    if (transferFully(size, [&](size_t done) { return write(fd, data + done, size - done); }) != ssize_t(size))
        abort();
    // Opening the descriptor's /proc name gives a fresh open file at offset 0.
    path = "/proc/self/fd/" + std::to_string(fd);
}

memoryFile_t::~memoryFile_t() { close(fd); }
