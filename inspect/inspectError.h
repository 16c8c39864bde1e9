// The failures of Dawnmark-inspect's own work: writing PNG files, rendering
// the preview, refusing an output. Unlike the boot loader's errors, which the
// inspector reports as Dawnmark does, this one owns its texts.
#pragma once

#include <string>

/// What went wrong (a path, a step) and why.
struct inspectError_t {
    std::string subject;
    std::string reason;

    /// "Error: subject -- reason" on standard error, as Dawnmark's reports.
    void report() const;
};
