// The one loop around read, write, pread and pwrite: each may move fewer bytes
// than asked for, or be interrupted by a signal before it moves any.
#pragma once

#include <cerrno>
#include <cstddef>
#include <sys/types.h>

/// Moves `size` bytes through `step(done)`, which moves what it can of the
/// bytes from `done` on and returns what read or write returns. A call that
/// a signal interrupted is made again. Returns the bytes moved: `size`, or
/// fewer when a call moved none (the end of a file); -1, with that call's
/// errno, when a call failed otherwise.
template <typename step_t> ssize_t transferFully(size_t size, step_t step)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t count = step(done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return -1;
        if (count == 0)
            break;
        done += size_t(count);
    }
    return ssize_t(done);
}
