// Work run on a second thread beside the caller's.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <sched.h>
#include <thread>

/// A thread that its owner keeps for the tasks it hands over, one at a
/// time. A new thread may wait a scheduler tick or more before it first
/// runs (about two milliseconds on a virtual machine while the thread that
/// made it stays busy), longer than some of the work handed over takes,
/// while a waiting one is woken in microseconds: an owner that will hand
/// work over starts this thread early and passes it down to besideTask_t.
class secondThread_t {
public:
    secondThread_t();
    /// Ends the thread; no task may have it.
    ~secondThread_t();
    secondThread_t(const secondThread_t &) = delete;
    secondThread_t &operator=(const secondThread_t &) = delete;

private:
    friend class besideTask_t;

    /// Runs `work`, which must last until Finish, and returns at once.
    /// Throws std::logic_error, with nothing done, while another task has
    /// the thread: a task that waited for it could wait for itself.
    void Start(const std::function<void()> *work);
    /// Waits for the task to end and frees the thread; what the task threw.
    std::exception_ptr Finish();
    void Run();
    /// Keeps the thread off the CPU the caller runs on. The scheduler tends
    /// to wake a thread on the CPU of the thread that wakes it, and the
    /// woken thread then waits there until the waker's time slice ends
    /// (3 to 4 ms here) even with another CPU idle. The caller may move
    /// later; the next task looks again. With a single CPU to run on there
    /// is nothing to do.
    void KeepOffCallersCpu();

    /// The CPUs the program may run on, and the one the thread is kept off
    /// (-1: none).
    cpu_set_t allowed;
    int keptOff = -1;
    std::mutex mutex;
    std::condition_variable changed;
    const std::function<void()> *task = nullptr;
    /// Whether a task has the thread, from Start to Finish.
    bool taken = false;
    bool running = false;
    bool stopping = false;
    std::exception_ptr failure;
    /// Last, so that it is made once the members its loop uses are.
    std::thread thread;
};

/// Runs a task on `thread` from construction until Wait. The thread must be
/// free: one task at a time has it.
class besideTask_t {
public:
    besideTask_t(secondThread_t &thread, std::function<void()> task);
    /// Waits for the task if Wait was not called; what it threw is lost.
    ~besideTask_t();
    besideTask_t(const besideTask_t &) = delete;
    besideTask_t &operator=(const besideTask_t &) = delete;

    /// Waits for the task to end; throws what it threw. Called at most once.
    void Wait();

private:
    const std::function<void()> task;
    secondThread_t &thread;
    std::exception_ptr failure;
    bool waited = false;
};
