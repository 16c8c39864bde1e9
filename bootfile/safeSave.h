// Replacing a file without ever leaving it half written: the new content goes
// to a temporary file beside it, which takes the file's name only once it is
// complete and on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// A replacement for the file at a path, being written. Every failure throws
/// cagada_t with the path as subject and the system's text as reason, and
/// the temporary file is removed unless Commit succeeded.
class safeFile_t {
public:
    /// Creates the temporary file in the directory of path. A symbolic link
    /// at path is followed, so its target is what gets replaced.
    explicit safeFile_t(const char *path);
    ~safeFile_t();
    safeFile_t(const safeFile_t &) = delete;
    safeFile_t &operator=(const safeFile_t &) = delete;

    /// Appends size bytes.
    void Write(const void *data, size_t size);
    /// Reads back size bytes written earlier, from offset.
    void ReadBack(uint64_t offset, void *data, size_t size);
    /// Flushes the file, gives it mode 0666 less the umask, renames it over
    /// the path and flushes the directory so that the new name lasts.
    void Commit();
    /// Throws the failure of this replacement with the given reason.
    [[noreturn]] void Fail(const char *reason) const;

private:
    /// Throws with the text of the current errno.
    [[noreturn]] void FailFromErrno() const;

    const char *path;
    std::string target;
    std::string directory;
    std::string temporary;
    int fd;
    bool committed;
};
