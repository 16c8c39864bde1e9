// The command line of Dawnmark-inspect.
#pragma once

/// Exit statuses of Dawnmark-inspect.
enum inspectStatus_t {
    inspectSound = 0,   ///< the file is sound and every output was written
    inspectDamaged = 1, ///< unreadable, not a boot loader, damaged, or an output failed
    inspectUsage = 2,   ///< bad command line
};

/// The whole run of Dawnmark-inspect; returns its exit status.
int runInspect(int argc, char **argv);
