// The one exception of both programs. It carries a subject (what went
// wrong: a path, a step) and a reason, each a copy of its own, so a text
// made on the spot may end before the report. Either text may be missing,
// which the report tells apart from an empty one.
#pragma once

#include <optional>
#include <string>

/// One text of an error; empty when it is missing rather than blank.
using errorText_t = std::optional<std::string>;

/// An error of Dawnmark or Dawnmark-inspect: of the boot loader file, of an
/// image, of an output.
struct dawnmarkError_t {
    errorText_t subject;
    errorText_t reason;

    /// A null pointer leaves its text missing.
    dawnmarkError_t(const char *subject = nullptr, const char *reason = nullptr);
    dawnmarkError_t(std::string subject, std::string reason);

    /// "Error: subject -- reason" on standard error; see errors.cpp for the
    /// forms with missing fields.
    void report() const;
};
