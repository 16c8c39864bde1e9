// Saves that must fail without harm: an output directory holding a file that
// a failed save must leave as it was, and ways to make the save fail.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/bytes.h"
#include "support/scratch.h"

/// An output directory whose only entry is newZbeos, holding `precious`.
class SaveFailure : public testing::Test {
protected:
    void SetUp() override;

    /// Nothing new in the output directory, and the old file as it was.
    void ExpectOutputUntouched();

    scratchDir_t output;
    const bytes_t precious{'o', 'l', 'd', ' ', 'b', 'o', 'o', 't'};
};

/// Runs work in a child process and returns its exit status (or 128 + the
/// signal that ended it), so that limits and mounts stay with the child.
int inChild(const std::function<int()> &work);

/// 0 when save(path) throws dawnmarkError_t with the path as subject and reason as
/// reason; 1 when it does not throw, 2 for another subject, 3 for another
/// reason. An exit status, for saves made in a child.
int saveRefused(const std::function<void(const char *path)> &save, const std::string &path,
                const char *reason);
