// A task handed to a second thread runs to its end, whichever thread it gets,
// and what it throws reaches the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "imaging/besideTask.h"

namespace {

// The first task has the kept thread; the second, started while the first
// runs, gets a thread of its own. Both finish, and their failures come back.
TEST(BesideTask, BothThreadsRunToTheEndAndReportFailures)
{
    std::atomic<int> done{0};
    for (const bool failing : {false, true}) {
        besideTask_t first([&] {
            besideTask_t second([&] {
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
    EXPECT_EQ(done, 4);
}

} // namespace
