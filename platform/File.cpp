#include "platform/File.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/transferFully.h"

namespace {

status_t errnoStatus()
{
    return errno != 0 ? -errno : B_ERROR;
}

} // namespace

BFile::BFile(const char *path, uint32 openMode)
{
    if (path == nullptr || openMode != B_READ_ONLY) {
        status_ = B_BAD_VALUE;
        return;
    }
    // A file object stands for a regular file only. Opening without
    // blocking keeps a FIFO without a writer from hanging the caller; a
    // directory, a FIFO or a device is then refused.
    fd_ = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        status_ = errnoStatus();
        return;
    }
    struct stat info;
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        status_ = S_ISDIR(info.st_mode) ? -EISDIR : B_BAD_VALUE;
        ::close(fd_);
        fd_ = -1;
        return;
    }
    status_ = B_OK;
}

BFile::~BFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

status_t BFile::InitCheck() const { return status_; }

ssize_t BFile::ReadAt(off_t position, void *buffer, size_t size)
{
    if (fd_ < 0)
        return status_;
    char *bytes = static_cast<char *>(buffer);
    const ssize_t count = transferFully(
        size, [&](size_t done) { return ::pread(fd_, bytes + done, size - done, position + off_t(done)); });
    return count >= 0 ? count : errnoStatus();
}

ssize_t BFile::WriteAt(off_t, const void *, size_t)
{
    return fd_ < 0 ? status_ : B_BAD_VALUE;
}

off_t BFile::Seek(off_t position, uint32 seekMode)
{
    if (fd_ < 0)
        return status_;
    const off_t result = ::lseek(fd_, position, int(seekMode));
    return result >= 0 ? result : errnoStatus();
}

off_t BFile::Position() const
{
    if (fd_ < 0)
        return status_;
    const off_t result = ::lseek(fd_, 0, SEEK_CUR);
    return result >= 0 ? result : errnoStatus();
}
