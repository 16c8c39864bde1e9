#include <gtest/gtest.h>

#include <cstring>

#include "platform/ByteOrder.h"

namespace {

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

} // namespace
