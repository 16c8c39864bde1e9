#include <gtest/gtest.h>

#include <cstring>

#include "platform/DataIO.h"

namespace {

TEST(MallocIO, WritesGrowTheStreamAndReadsReturnTheirCount)
{
    BMallocIO stream;
    EXPECT_EQ(stream.Write("abc", 3), 3);
    // Writing past the end leaves zero bytes in the gap.
    EXPECT_EQ(stream.Seek(6, SEEK_SET), 6);
    EXPECT_EQ(stream.Write("xy", 2), 2);
    EXPECT_EQ(stream.BufferLength(), 8u);

    EXPECT_EQ(stream.Seek(0, SEEK_SET), 0);
    char buffer[16] = {};
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 8);
    EXPECT_EQ(std::memcmp(buffer, "abc\0\0\0xy", 8), 0);
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 0);

    EXPECT_EQ(stream.Seek(-3, SEEK_END), 5);
    EXPECT_EQ(stream.Read(buffer, 2), 2);
    EXPECT_EQ(stream.Seek(-1, SEEK_CUR), 6);
    EXPECT_LT(stream.Seek(-100, SEEK_CUR), 0);
    EXPECT_EQ(stream.Position(), 6);
    // An empty read needs no buffer: an empty pixel vector has none.
    EXPECT_EQ(stream.Read(nullptr, 0), 0);
}

} // namespace
