// A folder to run the built programs in, as a user runs them in the folder of
// a splash description: the sample boot loader file lies there as zbeos.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/bytes.h"
#include "support/files.h"
#include "support/runTool.h"
#include "support/scratch.h"

class RunFolder : public testing::Test {
protected:
    void SetUp() override;

    /// The path of a file in the folder.
    std::string path(const std::string &name) const { return dir + "/" + name; }

    /// Copies the example splash's images into the folder under their names.
    void copyExampleImages() const;

    /// Writes description to the file d and runs Dawnmark in the folder with
    /// args, then d.
    ToolRun run(const std::string &description, std::vector<std::string> args, const RunHooks &hooks = {});

    std::string dir;
    /// What zbeos holds: the sample boot loader file.
    std::string zbeosBytes;
    /// A boot loader file an earlier run left at an output path, which a
    /// run may replace: the sample with bytes of its own behind it.
    std::string earlierOutput;
};

/// The CRC-32 of a file's bytes, the checksum the reference outputs are
/// named and compared by.
uint32_t crcOf(const std::string &bytes);
