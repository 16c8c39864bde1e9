// Capturing what the trace prints, for tests that check its wording.
#pragma once

#include <string>

/// Collects the trace output of a block at the given verbosity; the level is
/// put back afterwards, even when the block throws. The depth is left alone,
/// so that a test can check the traced code put it back.
class traceCapture_t {
public:
    explicit traceCapture_t(unsigned level = 9);
    ~traceCapture_t();
    traceCapture_t(const traceCapture_t &) = delete;
    traceCapture_t &operator=(const traceCapture_t &) = delete;
    /// What was traced since construction (call once).
    std::string Text();

private:
    unsigned savedLevel;
    bool capturing;
};

/// Runs `action` under a traceCapture_t at `level` and returns what it traced.
template <typename Action> std::string traceOf(unsigned level, Action action)
{
    traceCapture_t capture(level);
    action();
    return capture.Text();
}
