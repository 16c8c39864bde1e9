// The two exceptions of the tool. Both carry a subject (what went wrong: a
// path, a step) and a reason, each a copy of its own, so a text made on the
// spot may end before the report. Either text may be missing, which the
// reports tell apart from an empty one. They share no base on purpose: a
// handler for one never catches the other.
#pragma once

#include <optional>
#include <string>

/// One text of an error; empty when it is missing rather than blank.
using errorText_t = std::optional<std::string>;

/// General error of the boot loader phase.
struct cagada_t {
    errorText_t subject;
    errorText_t reason;

    /// A null pointer leaves its text missing.
    cagada_t(const char *subject = nullptr, const char *reason = nullptr);
    cagada_t(std::string subject, std::string reason);

    /// "Error: subject -- reason" on standard error; see errors.cpp for the
    /// forms with missing fields.
    void report() const;
};

/// Error of the image tools.
struct imgtoolsError_t {
    errorText_t subject;
    errorText_t reason;

    /// A null pointer leaves its text missing.
    imgtoolsError_t(const char *subject = nullptr, const char *reason = nullptr);

    void report() const;
};
