// Replacing a file without ever leaving it half written: the new content goes
// to a temporary file beside it, which takes the file's name only once it is
// complete, on disk and read back intact. A device or a pipe at the path is
// never replaced: it takes the content itself.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "bootfile/removeOnSignal.h"

/// A replacement for the file at a path, being written. Every failure throws
/// dawnmarkError_t with the path as subject and the system's text as reason, and
/// the temporary file is removed unless Commit succeeded, also when SIGINT,
/// SIGTERM or SIGHUP ends the process first.
class safeFile_t {
public:
    /// Creates the temporary file in the directory of path. A symbolic link
    /// at path is followed, so its target is what gets replaced. A character
    /// device or FIFO there is opened and written directly instead (a pipe
    /// blocks until it has a reader); anything else that is not a regular
    /// file is refused with "not a regular file".
    explicit safeFile_t(const char *path);
    ~safeFile_t();
    safeFile_t(const safeFile_t &) = delete;
    safeFile_t &operator=(const safeFile_t &) = delete;

    /// Appends size bytes, remembering them for Flush's comparison.
    void Write(const void *data, size_t size);
    /// Gives the file mode 0666 less the umask, flushes it to disk and reads
    /// the whole of it back. Fails with EIO's text unless what was read is
    /// exactly what was written; returns it for checks of its own. A device
    /// or pipe has nothing to read back: what was written is returned.
    std::vector<unsigned char> Flush();
    /// Renames the flushed file over the path and flushes the directory so
    /// that the new name lasts; closes a device or pipe. With keepReplaced,
    /// a file that the new one replaces is first given a second name, the
    /// path with ".old" (".old.1", ".old.2", ... when that is taken), which
    /// the rename leaves to it: it is never absent, and no earlier copy is
    /// replaced. When that name cannot be made, the failure says so and
    /// nothing is replaced.
    void Commit(bool keepReplaced = false);
    /// Throws the failure of this replacement with the given reason.
    [[noreturn]] void Fail(const char *reason) const;

private:
    /// Throws with the text of the current errno.
    [[noreturn]] void FailFromErrno() const;
    /// Reads the whole temporary file from its start.
    std::vector<unsigned char> ReadAll();
    /// Links the file at the target to the first free backup name, if
    /// there is a file; traces the name.
    void KeepReplaced() const;

    std::string path;
    std::string target;
    std::string directory;
    std::string temporary;
    /// Set while a temporary file exists; absent for a device or pipe.
    std::optional<removeOnSignal_t> cleanup;
    int fd;
    bool direct; ///< writing into a device or pipe at the path
    bool flushed;
    bool committed;
    /// Everything Write was given, in order.
    std::vector<unsigned char> written;
};
