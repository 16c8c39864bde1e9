// Scratch space for tests: directories that disappear with the test program
// or with the object that made them.
#pragma once

#include <string>
#include <vector>

#include "support/bytes.h"

/// A new empty directory under $TMPDIR (or /tmp). It is removed, with all it
/// holds, when the test program ends.
std::string makeScratchDirectory();

/// This test program's own scratch directory, made on first use.
std::string scratchDirectory();

/// Writes `content` to a file of that name in scratchDirectory(); returns its path.
std::string writeScratchFile(const std::string &name, const bytes_t &content);

/// A directory whose files go with the object, for tests that look at what
/// a run left behind.
class scratchDir_t {
public:
    scratchDir_t();
    ~scratchDir_t();
    std::string Path(const std::string &name) const { return path + "/" + name; }
    /// Names of the entries in the directory, sorted.
    std::vector<std::string> Entries() const;

    std::string path;
};
