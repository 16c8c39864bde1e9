// Runs a built program as a user would, capturing what it prints.
#pragma once

#include <string>
#include <vector>

struct ToolRun {
    std::string out;
    std::string err;
    int status = -1; ///< exit status, or 128 + signal number
};

/// Runs `program` with `args` in directory `cwd` (empty: the current one),
/// standard input from /dev/null.
ToolRun runTool(const std::string &program, const std::vector<std::string> &args,
                const std::string &cwd = "");

/// Runs the Dawnmark binary under test.
ToolRun runDawnmark(const std::vector<std::string> &args, const std::string &cwd = "");

/// A fresh empty directory below the system's temporary directory.
std::string makeTempDir();

void writeFile(const std::string &path, const std::string &content);
std::string readFile(const std::string &path);

/// The banner that every run prints first, with the stamp of this build.
std::string bannerOf(const std::string &out);
