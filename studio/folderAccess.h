// The one folder the studio works in: every name a page sends is resolved
// here, and nothing outside the folder is ever read or written.
#pragma once

#include <optional>
#include <string>
#include <vector>

/// The folder, by its resolved path, and the files a page may name in it.
class studioFolder_t {
public:
    /// Resolves path (links included); throws dawnmarkError_t when it is not
    /// a directory that can be read.
    explicit studioFolder_t(const std::string &path);

    const std::string &Path() const { return path; }
    /// The resolved path of an existing file that `name` (relative to the
    /// folder) names, when that lies inside the folder: nothing for an
    /// absolute name, a `..` step, or a link that leads out.
    std::optional<std::string> Resolve(const std::string &name) const;
    /// The pictures of the folder (regular files, by their extension, no
    /// link out), sorted; hidden files left out.
    std::vector<std::string> Pictures() const;
    /// Writes `bytes` into a new file `name` of the folder: a plain name
    /// only, never over a file (or a link) already there. False when the
    /// name is refused or taken, or the write fails (nothing is left then).
    bool CreateFile(const std::string &name, const std::string &bytes) const;
    /// Removes a file CreateFile made.
    void Remove(const std::string &name) const;

private:
    std::string path;
};

/// Reads the whole file at path into bytes; false when it cannot, or it is
/// not a regular file.
bool readWholeFile(const std::string &path, std::string *bytes);

/// Whether `name` is one plain file name: no folder, no `..`, not hidden.
bool isPlainFileName(const std::string &name);
