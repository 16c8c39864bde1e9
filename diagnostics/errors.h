// The two exceptions of the tool. Both carry a subject (what went wrong: a
// path, a step) and a reason; neither owns its texts, which must outlive the
// report. They share no base on purpose: a handler for one never catches the
// other.
#pragma once

/// General error of the boot loader phase.
struct cagada_t {
    const char *subject;
    const char *reason;

    cagada_t(const char *subject = nullptr, const char *reason = nullptr)
        : subject(subject), reason(reason) {}

    /// "Error: subject -- reason" on standard error; see errors.cpp for the
    /// forms with missing fields.
    void report() const;
};

/// Error of the image tools.
struct imgtoolsError_t {
    const char *subject;
    const char *reason;

    imgtoolsError_t(const char *subject = nullptr, const char *reason = nullptr)
        : subject(subject), reason(reason) {}

    void report() const;
};
