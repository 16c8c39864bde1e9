#include "bootfile/backgroundDeflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "bootfile/gziptools.h"
#include "gcompress_support.h"
#include "fixtures/testImages.h"
#include "fixtures/testThread.h"
#include "ioFaults_support.h"
#include "packBuilder_support.h"

namespace {

// Packs like the ones the tool makes: long flat runs, photograph-like noise,
// and sizes around the thread's wake-up stretch.
struct deflateCase_t {
    const char *name;
    size_t length;
    unsigned grain; ///< 0: flat stripes; otherwise random values below it
    size_t step;    ///< bytes made ready at a time
};

class BackgroundDeflate : public testing::TestWithParam<deflateCase_t> {};

TEST_P(BackgroundDeflate, GivesTheOnePassStreamAndCrc)
{
    const deflateCase_t &c = GetParam();
    testRandom_t random(c.length);
    bytes_t data(c.length);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(c.grain == 0 ? 16 + i / 700 % 50 : 16 + random.below(c.grain));
    for (int level : {6, 9}) {
        bytes_t expected(data.size() + data.size() / 8 + 64);
        unsigned long expectedLength = expected.size(), expectedCrc = 0;
        ASSERT_EQ(gcompress(expected.data(), &expectedLength, data.data(), data.size(), &expectedCrc, level), Z_OK);
        expected.resize(expectedLength);

        bytes_t alongside;
        backgroundDeflate_t deflate(data.data(), data.size(), level, testThread(),
                                    [&](const unsigned char *bytes, size_t size) {
                                        alongside.insert(alongside.end(), bytes, bytes + size);
                                    });
        for (size_t ready = 0; ready < data.size(); ready += c.step)
            deflate.Ready(ready);
        bytes_t streamed;
        unsigned long crc = 0;
        size_t stretchesAfterLast = 0, lastOnes = 0;
        ASSERT_EQ(deflate.Finish(&crc,
                                 [&](const unsigned char *bytes, size_t size, bool last) {
                                     stretchesAfterLast += lastOnes;
                                     lastOnes += last;
                                     streamed.insert(streamed.end(), bytes, bytes + size);
                                 }),
                  Z_OK);
        EXPECT_EQ(streamed, expected) << "level " << level;
        EXPECT_EQ(alongside, expected) << "level " << level;
        EXPECT_EQ(lastOnes, 1u) << "level " << level;
        EXPECT_EQ(stretchesAfterLast, 0u) << "level " << level;
        EXPECT_EQ(crc, expectedCrc);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Packs, BackgroundDeflate,
    testing::Values(deflateCase_t{"Tiny", 10, 200, 3}, deflateCase_t{"StripesByRow", 300000, 0, 640},
                    deflateCase_t{"NoiseByRow", 307200, 224, 640}, deflateCase_t{"FewColoursOddSteps", 500001, 8, 4099},
                    deflateCase_t{"OneStretch", 70000, 100, 32768}, deflateCase_t{"AllAtTheEnd", 100000, 50, 100000}),
    [](const testing::TestParamInfo<deflateCase_t> &info) { return std::string(info.param.name); });

TEST(BackgroundDeflateEnd, FailureAndAbandonEndTheThread)
{
    bytes_t data(100000, 7);
    {
        ioFaultsScope_t faults;
        ioFaults.failDeflate = true;
        backgroundDeflate_t deflate(data.data(), data.size(), 9, testThread());
        deflate.Ready(50000);
        unsigned long crc = 0;
        EXPECT_EQ(deflate.Finish(&crc), Z_STREAM_ERROR);
    }
    // Filling stopped half way, as when an exception leaves the layout:
    // going out of scope must not wait for bytes that never come.
    backgroundDeflate_t abandoned(data.data(), data.size(), 9, testThread());
    abandoned.Ready(40000);
}

} // namespace
