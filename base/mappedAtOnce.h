// Large buffers whose pages the kernel maps in one call, not one fault at a
// time. Every page of a fresh buffer costs a fault when it is first written;
// on a virtual machine a fault costs about a microsecond, and a megabyte is
// 256 of them. Asking for all of a buffer's pages at once costs about half.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

/// Maps the whole pages of [data, data + size) for writing, if the system
/// can; the contents are unchanged. Only a hint: it does nothing where it
/// is not supported.
inline void mapForWriting(void *data, size_t size)
{
#ifdef MADV_POPULATE_WRITE
    static const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t first = (uintptr_t(data) + page - 1) & ~(page - 1);
    const uintptr_t end = (uintptr_t(data) + size) & ~(page - 1);
    if (end > first)
        madvise(reinterpret_cast<void *>(first), end - first, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)size;
#endif
}

/// buffer.resize(size, value), with the room it grows into mapped at once.
template <typename element_t>
void resizeMappedAtOnce(std::vector<element_t> &buffer, size_t size, const element_t &value = element_t())
{
    if (size > buffer.capacity()) {
        buffer.reserve(size);
        mapForWriting(buffer.data() + buffer.size(), (size - buffer.size()) * sizeof(element_t));
    }
    buffer.resize(size, value);
}
