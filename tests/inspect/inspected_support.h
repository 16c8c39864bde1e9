// Boot loader files inspected as Dawnmark-inspect inspects them, for the
// tests of the inspection and of its report.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "inspect/inspection.h"
#include "support/bytes.h"
#include "support/files.h"
#include "support/scratch.h"

/// Writes boot loader files to one scratch path and inspects them there.
class Inspected : public testing::Test {
protected:
    inspection_t Inspect(const bytes_t &file)
    {
        writeFile(path, file);
        return inspectZbeos(path.c_str());
    }

    std::string path = makeScratchDirectory() + "/zbeos";
};
