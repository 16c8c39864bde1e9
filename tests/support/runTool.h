// Runs a built program as a user would, capturing what it prints.
#pragma once

#include <functional>
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

/// What a run may do besides running: `inChild` runs in the new process just
/// before the program replaces it (limits, signals, mounts; it may _exit to
/// say the setup failed), `whileRunning` in this process once the program
/// has started and before its output is collected.
struct RunHooks {
    std::function<void()> inChild;
    std::function<void()> whileRunning;
};

ToolRun runTool(const std::string &program, const std::vector<std::string> &args, const std::string &cwd,
                const RunHooks &hooks);

/// Runs the Dawnmark binary under test.
ToolRun runDawnmark(const std::vector<std::string> &args, const std::string &cwd = "");

/// Runs the Dawnmark-inspect binary under test.
ToolRun runInspector(const std::vector<std::string> &args, const std::string &cwd = "");

/// The banner that every run prints first, with the stamp of this build.
std::string bannerOf(const std::string &out);
