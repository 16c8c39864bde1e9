#include "ioFaults_support.h"

#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

ioFaults_t ioFaults;

namespace {

bool isRegularFile(int fd)
{
    struct stat status;
    return fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

// Whether offset falls in the size bytes from start.
bool covers(int64_t offset, off_t start, size_t size)
{
    return offset >= int64_t(start) && uint64_t(offset - start) < size;
}

} // namespace

extern "C" {
int __real_mkstemp(char *pattern);
ssize_t __real_write(int fd, const void *data, size_t size);
ssize_t __real_pread(int fd, void *data, size_t size, off_t offset);
int __real_fsync(int fd);
int __real_rename(const char *from, const char *to);
int __real_link(const char *from, const char *to);
int __real_deflate(z_streamp stream, int flush);

int __wrap_mkstemp(char *pattern)
{
    const int fd = __real_mkstemp(pattern);
    if (ioFaults.raiseAtMkstemp != 0 && fd >= 0)
        raise(ioFaults.raiseAtMkstemp);
    return fd;
}

ssize_t __wrap_write(int fd, const void *data, size_t size)
{
    if (ioFaults.flipWrittenByteAt < 0 || !isRegularFile(fd))
        return __real_write(fd, data, size);
    const off_t start = lseek(fd, 0, SEEK_CUR);
    if (!covers(ioFaults.flipWrittenByteAt, start, size))
        return __real_write(fd, data, size);
    std::vector<unsigned char> damaged(static_cast<const unsigned char *>(data),
                                       static_cast<const unsigned char *>(data) + size);
    damaged[size_t(ioFaults.flipWrittenByteAt - start)] ^= 0x01;
    return __real_write(fd, damaged.data(), size);
}

ssize_t __wrap_pread(int fd, void *data, size_t size, off_t offset)
{
    const ssize_t got = __real_pread(fd, data, size, offset);
    if (got > 0 && covers(ioFaults.flipReadByteAt, offset, size_t(got)))
        static_cast<unsigned char *>(data)[ioFaults.flipReadByteAt - offset] ^= 0x01;
    return got;
}

int __wrap_fsync(int fd)
{
    ioFaults.events.push_back(isRegularFile(fd) ? "fsync file" : "fsync directory");
    if (ioFaults.raiseAtFsync != 0 && isRegularFile(fd))
        raise(ioFaults.raiseAtFsync);
    return __real_fsync(fd);
}

int __wrap_rename(const char *from, const char *to)
{
    ioFaults.events.push_back("rename");
    return __real_rename(from, to);
}

int __wrap_link(const char *from, const char *to)
{
    ioFaults.events.push_back("link");
    return __real_link(from, to);
}

int __wrap_deflate(z_streamp stream, int flush)
{
    return ioFaults.failDeflate ? Z_STREAM_ERROR : __real_deflate(stream, flush);
}
}
