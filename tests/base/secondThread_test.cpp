// A task handed to the second thread runs to its end, what it throws
// reaches the caller, and the thread is never given to two tasks at once.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "base/secondThread.h"

namespace {

// A task started from the task that has the thread is refused at once,
// rather than waiting for a thread that waits for it; the thread is free
// again afterwards. Both passes end, the first without Wait: the
// destructor waits.
TEST(BesideTask, RunsToTheEndReportsFailuresAndRefusesASecondTask)
{
    secondThread_t thread;
    std::atomic<int> done{0};
    for (const bool failing : {false, true}) {
        besideTask_t first(thread, [&] {
            EXPECT_THROW(besideTask_t(thread, [] {}), std::logic_error);
            ++done;
            if (failing)
                throw std::runtime_error("first");
        });
        if (failing) {
            EXPECT_THROW(first.Wait(), std::runtime_error);
        }
    }
    EXPECT_EQ(done, 2);
}

} // namespace
