// Work run on a second thread beside the caller's.
#pragma once

#include <exception>
#include <functional>
#include <thread>

/// Runs a task on a second thread from construction until Wait. The thread
/// is one kept for the whole program: a new thread may wait a scheduler tick
/// or more before it first runs (about two milliseconds on a virtual machine
/// while the thread that made it stays busy), longer than some of the work
/// handed over takes, while a waiting one is woken in microseconds. While
/// another task has that thread, the task gets a thread of its own.
class besideTask_t {
public:
    explicit besideTask_t(std::function<void()> task);
    /// Starts the kept thread, if not yet started, so that the first task
    /// finds it waiting.
    static void Prepare();
    /// Waits for the task if Wait was not called; what it threw is lost.
    ~besideTask_t();
    besideTask_t(const besideTask_t &) = delete;
    besideTask_t &operator=(const besideTask_t &) = delete;

    /// Waits for the task to end; throws what it threw. Called at most once.
    void Wait();

private:
    class keptThread_t;

    const std::function<void()> task;
    keptThread_t *kept;
    std::thread own;
    std::exception_ptr failure;
    bool waited = false;
};
