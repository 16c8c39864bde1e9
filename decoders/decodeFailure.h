// Why a decoder refused a file, in a few words of its own ("PNG data ends
// early", "unsupported BMP compression 4"), handed back with the decoding's
// result to whoever asked for it.
#pragma once

/// The reason of one decoding: the caller of a decoder holds it, and the
/// place that finds the fault fills it in.
class decodeFailure_t {
public:
    /// Records why the decoding fails. The first reason given counts: it
    /// comes from the place that found the fault. Safe to call from a C
    /// library's error callback: it neither allocates nor throws. Returns
    /// false, so that a decoder can end with `return failure->give("...")`.
    bool give(const char *format, ...) __attribute__((format(printf, 2, 3)));

    /// The reason given, or null when none was.
    const char *reason() const { return given_ ? reason_ : nullptr; }

private:
    char reason_[256] = {};
    bool given_ = false;
};
