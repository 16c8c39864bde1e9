#include <gtest/gtest.h>

#include <cstring>

#include "fixtures/imageFiles.h"
#include "support/scratch.h"
#include "platform/ByteOrder.h"
#include "platform/DataIO.h"
#include "platform/File.h"

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
}

TEST(ByteOrder, BigEndianFieldsBecomeHostOrder)
{
    const uint8_t bigEndian[8] = {0x62, 0x69, 0x74, 0x73, 0x3f, 0x80, 0x00, 0x00};
    uint32_t words[2];
    std::memcpy(words, bigEndian, sizeof words);
    ASSERT_EQ(swap_data(B_INT32_TYPE, &words[0], 4, B_SWAP_BENDIAN_TO_HOST), B_OK);
    EXPECT_EQ(words[0], 0x62697473u);
    ASSERT_EQ(swap_data(B_RECT_TYPE, &words[1], 4, B_SWAP_BENDIAN_TO_HOST), B_OK);
    float one;
    std::memcpy(&one, &words[1], 4);
    EXPECT_EQ(one, 1.0f);

    uint32_t value = 0x01020304;
    ASSERT_EQ(swap_data(B_UINT32_TYPE, &value, 4, B_SWAP_ALWAYS), B_OK);
    EXPECT_EQ(value, 0x04030201u);
    EXPECT_EQ(swap_data(B_UINT32_TYPE, &value, 3, B_SWAP_ALWAYS), B_BAD_VALUE);
    EXPECT_EQ(swap_data(fourCharCode("CSTR"), &value, 4, B_SWAP_ALWAYS), B_BAD_VALUE);
}

TEST(File, ReadsWhatIsThereAndFailsQuietlyOtherwise)
{
    const std::string path = writeScratchFile("plain.txt", {'h', 'e', 'l', 'l', 'o'});
    BFile file(path.c_str(), B_READ_ONLY);
    EXPECT_EQ(file.InitCheck(), B_OK);
    char buffer[8];
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 5);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0);

    BFile missing((scratchDirectory() + "/missing").c_str(), B_READ_ONLY);
    EXPECT_NE(missing.InitCheck(), B_OK);
    EXPECT_LT(missing.Read(buffer, sizeof buffer), 0);
}

} // namespace
