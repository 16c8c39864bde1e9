// What both commands do around their whole run: failures nobody handled on
// the way up end with a one-line report instead of an abort.
#pragma once

/// Runs body(argc, argv) and returns its status. Running out of memory or any
/// other exception that escapes it is reported on standard error as one
/// "Error: ..." line, and `failureStatus` is returned. A write beyond a file
/// size limit fails like one on a full disk instead of killing the process,
/// so that a half-written file can be removed and reported.
int runWithLastResort(int (*body)(int, char **), int argc, char **argv, int failureStatus);
