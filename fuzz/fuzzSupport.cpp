#include "fuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

#include "diagnostics/traceMsg.h"

void quietTrace()
{
    if (freopen("/dev/null", "w", stdout) == nullptr)
        abort();
    TRACE_setlevel(9);
}

memoryFile_t::memoryFile_t(const uint8_t *data, size_t size) : fd(memfd_create("fuzz-input", MFD_CLOEXEC))
{
    if (fd < 0)
        abort();
    size_t written = 0;
    while (written < size) {
        ssize_t count = write(fd, data + written, size - written);
        if (count <= 0)
            abort();
        written += size_t(count);
    }
    // Opening the descriptor's /proc name gives a fresh open file at offset 0.
    path = "/proc/self/fd/" + std::to_string(fd);
}

memoryFile_t::~memoryFile_t() { close(fd); }
