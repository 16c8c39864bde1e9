#include "bootfile/gziptools.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <zlib.h>

#include "bootfile/littleEndian.h"
#include "gcompress_support.h"
#include "packBuilder_support.h"

namespace {

struct signatureCase_t {
    const char *name;
    bool splash;                 // which template
    std::vector<std::pair<unsigned, unsigned char>> changes;
    unsigned length;
    bool matches;
};

class CheckZSig : public testing::TestWithParam<signatureCase_t> {};

TEST_P(CheckZSig, ComparesMagicFlagsAndName)
{
    const signatureCase_t &c = GetParam();
    const unsigned char *signature = c.splash ? secondSignature : firstSignature;
    bytes_t data(signature, signature + (c.splash ? 17 : 15));
    for (auto change : c.changes)
        data[change.first] = change.second;
    EXPECT_EQ(checkZSig(data.data(), signature, c.length), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, CheckZSig,
    testing::Values(
        signatureCase_t{"loader", false, {}, 15, true},
        signatureCase_t{"splash", true, {}, 17, true},
        signatureCase_t{"lengthNine", false, {}, 9, false},
        signatureCase_t{"lengthTenIgnoresName", false, {{10, 'x'}}, 10, true},
        signatureCase_t{"otherMtimeXflOs", false,
                        {{4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 2}, {9, 0}}, 15, true},
        signatureCase_t{"flagsNine", false, {{3, 0x09}}, 15, false},
        signatureCase_t{"wrongMagic", true, {{1, 0x8c}}, 17, false},
        signatureCase_t{"nameBeosx", false, {{14, 'x'}}, 15, false},
        signatureCase_t{"nameImages2", true, {{16, '2'}}, 17, false}),
    [](const testing::TestParamInfo<signatureCase_t> &info) { return info.param.name; });

bytes_t sampleData()
{
    bytes_t data;
    for (unsigned i = 0; i < 5000; ++i)
        data.push_back(static_cast<unsigned char>((i * i) % 251));
    return data;
}

bytes_t deflated(const bytes_t &data, unsigned long *crc)
{
    bytes_t out(2 * data.size() + 64);
    unsigned long length = out.size();
    EXPECT_EQ(gcompress(out.data(), &length, data.data(), data.size(), crc), Z_OK);
    out.resize(length);
    return out;
}

TEST(Guncompress, NeedsRoomForTheWholeOutput)
{
    bytes_t data = sampleData();
    unsigned long crc = 0;
    bytes_t packed = deflated(data, &crc);

    bytes_t out(data.size());
    unsigned long length = data.size() - 1;
    EXPECT_NE(guncompress(out.data(), &length, packed.data(), packed.size()), Z_OK);
    EXPECT_EQ(length, data.size() - 1);

    length = data.size();
    ASSERT_EQ(guncompress(out.data(), &length, packed.data(), packed.size()), Z_OK);
    EXPECT_EQ(out, data);
}

TEST(Guncompress, IgnoresBytesAfterTheStreamAndRefusesBadData)
{
    bytes_t data = sampleData();
    unsigned long crc = 0;
    bytes_t packed = deflated(data, &crc);
    packed.insert(packed.end(), {1, 2, 3, 4, 5, 6, 7, 8, 9});
    bytes_t out(data.size());
    unsigned long length = out.size();
    ASSERT_EQ(guncompress(out.data(), &length, packed.data(), packed.size()), Z_OK);
    EXPECT_EQ(out, data);

    const unsigned char garbage[] = {0xff, 0xff, 0xff, 0xff, 0xff};
    length = out.size();
    EXPECT_EQ(guncompress(out.data(), &length, garbage, sizeof garbage), Z_DATA_ERROR);
    EXPECT_EQ(length, out.size());

    // A stream cut short is a failure, not a short success.
    length = out.size();
    EXPECT_NE(guncompress(out.data(), &length, packed.data(), packed.size() / 2), Z_OK);
}

TEST(Gcompress, EmptyInputGivesAnEmptyStreamAndCrcZero)
{
    unsigned char out[16];
    unsigned long length = sizeof out;
    unsigned long crc = 12345;
    ASSERT_EQ(gcompress(out, &length, nullptr, 0, &crc), Z_OK);
    EXPECT_EQ(crc, 0u);
    EXPECT_GT(length, 0u);
    unsigned char back[1];
    unsigned long backLength = sizeof back;
    ASSERT_EQ(guncompress(back, &backLength, out, length), Z_OK);
    EXPECT_EQ(backLength, 0u);
}

TEST(Gcompress, RunningOutOfRoomIsAFailure)
{
    bytes_t data = sampleData();
    unsigned char out[40];
    unsigned long length = sizeof out;
    unsigned long crc = 99;
    EXPECT_EQ(gcompress(out, &length, data.data(), data.size(), &crc), Z_BUF_ERROR);
    EXPECT_EQ(length, sizeof out);
    EXPECT_EQ(crc, 0u);
}

TEST(Gcompress, RoundTripsWithTheCrcGzipWrites)
{
    bytes_t data = sampleData();
    unsigned long crc = 0;
    bytes_t packed = deflated(data, &crc);
    bytes_t out(data.size());
    unsigned long length = out.size();
    ASSERT_EQ(guncompress(out.data(), &length, packed.data(), packed.size()), Z_OK);
    EXPECT_EQ(out, data);

    scratchDir_t scratch;
    writeFile(scratch.Path("data"), data);
    std::string command = "gzip -n -k " + scratch.Path("data");
    ASSERT_EQ(system(command.c_str()), 0);
    bytes_t gzipped = readBytes(scratch.Path("data.gz"));
    ASSERT_GE(gzipped.size(), 8u);
    EXPECT_EQ(getLE32(&gzipped[gzipped.size() - 8]), crc);
}

} // namespace
