// A task handed to a second thread runs to its end, whichever thread it gets,
// and what it throws reaches the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>

#include "base/secondThread.h"

namespace {

// With a kept thread, the first task has it; the second, started while the
// first runs, gets a thread of its own, as does every task without one.
// Both finish, and their failures come back.
TEST(BesideTask, BothThreadsRunToTheEndAndReportFailures)
{
    for (const bool kept : {true, false}) {
        std::unique_ptr<secondThread_t> thread(kept ? new secondThread_t : nullptr);
        std::atomic<int> done{0};
        for (const bool failing : {false, true}) {
            besideTask_t first(thread.get(), [&] {
                besideTask_t second(thread.get(), [&] {
                    ++done;
                    if (failing)
                        throw std::runtime_error("second");
                });
                if (failing) {
                    EXPECT_THROW(second.Wait(), std::runtime_error);
                }
                ++done;
                if (failing)
                    throw std::runtime_error("first");
            });
            if (failing) {
                EXPECT_THROW(first.Wait(), std::runtime_error);
            }
        }
        // The first pass ends without Wait: the destructors wait.
        EXPECT_EQ(done, 4) << (kept ? "kept thread" : "threads of their own");
    }
}

} // namespace
