// A temporary file must not outlive a run that is interrupted: while it is
// being written, the signals that end a run from outside remove it first,
// as lock files are removed by the tools that hold them.
#pragma once

/// While it lives, SIGINT, SIGTERM and SIGHUP remove the armed file and then
/// end the process as they would have without it. Signals the process ignores
/// stay ignored. One at a time per process.
class removeOnSignal_t {
public:
    /// Installs the handlers. A signal that arrives before Arm is held: the
    /// file it should remove may be in the making.
    removeOnSignal_t();
    /// Restores the handlers that were in place, then lets a signal still
    /// held take its course under them.
    ~removeOnSignal_t();
    removeOnSignal_t(const removeOnSignal_t &) = delete;
    removeOnSignal_t &operator=(const removeOnSignal_t &) = delete;

    /// From now on a signal removes path, which must stay valid until
    /// Disarm; a signal held so far does so at once.
    void Arm(const char *path);
    /// The file is gone or has its final name: a signal removes nothing.
    void Disarm();
};
