#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/mappedAtOnce.h"

namespace {

// Mapping pages ahead must never change what a buffer holds: growing keeps
// the old elements and fills the new ones, within a page, across pages and
// into a buffer already holding more than a page.
TEST(MappedAtOnce, ResizesLikeResize)
{
    const struct {
        const char *name;
        size_t before, after;
        uint32_t fill;
    } cases[] = {
        {"empty to less than a page", 0, 100, 0},
        {"empty to many pages", 0, 300000, 0},
        {"grown across pages, filled", 1000, 70000, 0xdeadbeef},
        {"grown past its room", 5000, 5001, 7},
        {"shrunk", 70000, 10, 9},
    };
    for (const auto &c : cases) {
        std::vector<uint32_t> buffer(c.before), expected;
        for (size_t i = 0; i < c.before; ++i)
            buffer[i] = uint32_t(i * 2654435761u);
        expected = buffer;
        buffer.shrink_to_fit();
        resizeMappedAtOnce(buffer, c.after, c.fill);
        expected.resize(c.after, c.fill);
        EXPECT_EQ(buffer, expected) << c.name;
    }
}

} // namespace
