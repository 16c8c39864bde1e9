// Work shared out between the calling thread and one more.
#pragma once

#include <thread>

/// Runs work(0) on this thread and work(1) on a second one, and returns when
/// both are done. The second thread is joined on every path, also when
/// work(0) throws.
template <typename work_t> void onTwoThreads(const work_t &work)
{
    std::thread second([&work] { work(1); });
    struct join_t {
        std::thread &thread;
        ~join_t() { thread.join(); }
    } join{second};
    work(0);
}
