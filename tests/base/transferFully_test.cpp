#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "base/transferFully.h"

namespace {

// What one call of the transfer returns: a count, or -1 with an errno.
struct answer_t {
    ssize_t count;
    int error;
};

TEST(TransferFully, RetriesInterruptionsAndContinuesShortTransfers)
{
    const struct {
        const char *name;
        std::vector<answer_t> answers;
        ssize_t moved;
        std::vector<size_t> startedAt;
        int error;
    } cases[] = {
        {"interrupted before moving", {{-1, EINTR}, {8, 0}}, 8, {0, 0}, 0},
        {"short moves", {{3, 0}, {-1, EINTR}, {5, 0}}, 8, {0, 3, 3}, 0},
        {"end of file", {{3, 0}, {0, 0}}, 3, {0, 3}, 0},
        {"failure after a short move", {{3, 0}, {-1, EIO}}, -1, {0, 3}, EIO},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<size_t> startedAt;
        errno = 0;
        const ssize_t moved = transferFully(8, [&](size_t done) {
            const answer_t answer = c.answers.at(startedAt.size());
            startedAt.push_back(done);
            errno = answer.error;
            return answer.count;
        });
        EXPECT_EQ(moved, c.moved);
        EXPECT_EQ(startedAt, c.startedAt);
        if (c.error != 0) {
            EXPECT_EQ(errno, c.error);
        }
    }
}

} // namespace
