#include "bootfile/safeSave.h"

#include <cassert>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "diagnostics/errors.h"
#include "diagnostics/traceStep.h"
#include "base/mappedAtOnce.h"
#include "base/transferFully.h"

namespace {

// The file a path names: a symbolic link is replaced through, not over.
std::string resolveTarget(const char *path)
{
    struct stat status;
    if (lstat(path, &status) == 0 && S_ISLNK(status.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(path, resolved) != nullptr)
            return resolved;
    }
    return path;
}

std::string directoryOf(const std::string &path)
{
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

safeFile_t::safeFile_t(const char *path)
    : path(path), target(resolveTarget(path)), directory(directoryOf(target)),
      fd(-1), direct(false), flushed(false), committed(false)
{
    // Renaming over a device node or a pipe would put a plain file in its
    // place; they take the bytes themselves, as they always did.
    struct stat status;
    if (stat(target.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        if (!S_ISCHR(status.st_mode) && !S_ISFIFO(status.st_mode))
            Fail("not a regular file");
        direct = true;
        fd = open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            FailFromErrno();
        // Something else may have taken the name since it was looked at.
        if (fstat(fd, &status) != 0 || !(S_ISCHR(status.st_mode) || S_ISFIFO(status.st_mode))) {
            close(fd);
            Fail("not a regular file");
        }
        return;
    }
    std::string pattern = directory + "/.dawnmark-XXXXXX";
    cleanup.emplace();
    fd = mkstemp(&pattern[0]);
    if (fd < 0)
        FailFromErrno();
    temporary = pattern;
    cleanup->Arm(temporary.c_str());
}

safeFile_t::~safeFile_t()
{
    if (fd >= 0)
        close(fd);
    if (!committed && !temporary.empty())
        unlink(temporary.c_str());
    if (cleanup)
        cleanup->Disarm();
}

void safeFile_t::Fail(const char *reason) const { throw dawnmarkError_t(path, reason); }

void safeFile_t::FailFromErrno() const { Fail(strerror(errno)); }

void safeFile_t::Write(const void *data, size_t size)
{
    const unsigned char *bytes = static_cast<const unsigned char *>(data);
    written.insert(written.end(), bytes, bytes + size);
    const ssize_t moved =
        transferFully(size, [&](size_t done) { return write(fd, bytes + done, size - done); });
    if (moved < 0)
        FailFromErrno();
    if (size_t(moved) != size)
        Fail(strerror(EIO));
}

std::vector<unsigned char> safeFile_t::ReadAll()
{
    struct stat status;
    if (fstat(fd, &status) != 0)
        FailFromErrno();
    // A file that grew or shrank behind our back is as wrong as a changed byte.
    if (uint64_t(status.st_size) != written.size())
        Fail(strerror(EIO));
    std::vector<unsigned char> contents;
    resizeMappedAtOnce(contents, written.size());
    const ssize_t got = transferFully(contents.size(), [&](size_t done) {
        return pread(fd, contents.data() + done, contents.size() - done, off_t(done));
    });
    if (got < 0)
        FailFromErrno();
    if (size_t(got) != contents.size())
        Fail(strerror(EIO));
    return contents;
}

std::vector<unsigned char> safeFile_t::Flush()
{
    if (direct) {
        flushed = true;
        return written;
    }
    // umask can only be read by setting it; no other thread of the tool
    // creates files, so nothing sees the moment it is 0.
    mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd, 0666 & ~mask) != 0 || fsync(fd) != 0)
        FailFromErrno();
    // The pages are clean now; dropping them makes the read below come from
    // the disk where the system allows it, not from what was handed to it.
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    std::vector<unsigned char> contents = ReadAll();
    if (contents != written)
        Fail(strerror(EIO));
    flushed = true;
    return contents;
}

void safeFile_t::KeepReplaced() const
{
    // link never replaces a name that exists: the first free one is taken,
    // even when another program takes one at the same time.
    for (unsigned n = 0;; ++n) {
        const std::string backup = target + ".old" + (n == 0 ? "" : "." + std::to_string(n));
        if (link(target.c_str(), backup.c_str()) == 0) {
            traceStep_t step;
            TRACE(0, "the file replaced is kept as %s\n", backup.c_str());
            return;
        }
        // Nothing at the path: nothing to keep.
        if (errno == ENOENT)
            return;
        if (errno != EEXIST)
            Fail(("cannot keep the file it replaces as " + backup + ": " + strerror(errno)).c_str());
    }
}

void safeFile_t::Commit(bool keepReplaced)
{
    assert(flushed);
    int closing = fd;
    fd = -1;
    if (close(closing) != 0)
        FailFromErrno();
    if (direct) {
        committed = true;
        return;
    }
    if (keepReplaced)
        KeepReplaced();
    if (rename(temporary.c_str(), target.c_str()) != 0)
        FailFromErrno();
    committed = true;
    cleanup->Disarm();

    int directoryFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd < 0)
        FailFromErrno();
    // Some file systems cannot flush a directory and say so with EINVAL;
    // there is nothing more to do for them.
    int directoryFlushed = fsync(directoryFd);
    int flushError = errno;
    close(directoryFd);
    if (directoryFlushed != 0 && flushError != EINVAL) {
        errno = flushError;
        FailFromErrno();
    }
}
