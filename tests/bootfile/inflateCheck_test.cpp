#include "bootfile/inflateCheck.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "bootfile/gziptools.h"
#include "gcompress_support.h"
#include "bootfile/littleEndian.h"
#include "fixtures/testImages.h"
#include "packBuilder_support.h"

namespace {

// A member that is wrong anywhere must not pass, whatever pieces its deflate
// data comes in; a right one must pass in any pieces, the inflated bytes
// running past the check's window included.
TEST(InflateCheck, PassesOnlyTheStreamAndTrailerOfThePack)
{
    testRandom_t random(7);
    bytes_t mixed(200000);
    for (size_t i = 0; i < mixed.size(); ++i)
        mixed[i] = uint8_t(i / 3000 % 2 ? 16 + random.below(8) : 40);
    // Two of the check's windows and a byte, deflated into one block of long
    // matches: once the second window is full, zlib has used up all its
    // input and still holds the last byte.
    const bytes_t heldAtTheEnd(2 * 65536 + 1, 0);

    const struct {
        const char *name;
        size_t piece;          ///< bytes given at a time
        int64_t flipAt;        ///< deflate byte flipped; -1 for none
        long cut;              ///< bytes dropped from the end (negative: added)
        unsigned trailerByte;  ///< trailer byte changed; 8 for none
        bool passes;
        const bytes_t *pack = nullptr; ///< the mixed pack when null
    } cases[] = {
        {"whole", SIZE_MAX, -1, 0, 8, true},
        {"byte by byte", 1, -1, 0, 8, true},
        {"odd pieces", 4099, -1, 0, 8, true},
        {"changed byte", 4099, 500, 0, 8, false},
        {"cut short", 4099, -1, 1, 8, false},
        {"bytes after the end", 4099, -1, -3, 8, false},
        {"wrong checksum", 4099, -1, 0, 0, false},
        {"wrong length", 4099, -1, 0, 5, false},
        {"last byte held after the input", SIZE_MAX, -1, 0, 8, true, &heldAtTheEnd},
    };
    for (const auto &c : cases) {
        const bytes_t &pack = c.pack != nullptr ? *c.pack : mixed;
        bytes_t data(pack.size() + pack.size() / 8 + 64);
        unsigned long length = data.size(), crc = 0;
        ASSERT_EQ(gcompress(data.data(), &length, pack.data(), pack.size(), &crc), Z_OK);
        data.resize(length);
        unsigned char trailer[8];
        putLE32(trailer, uint32_t(crc));
        putLE32(trailer + 4, uint32_t(pack.size()));
        if (c.flipAt >= 0)
            data[size_t(c.flipAt)] ^= 0x10;
        if (c.cut > 0)
            data.resize(data.size() - size_t(c.cut));
        else
            data.insert(data.end(), size_t(-c.cut), 0);
        unsigned char given[8];
        memcpy(given, trailer, 8);
        if (c.trailerByte < 8)
            given[c.trailerByte] ^= 1;
        inflateCheck_t check(pack);
        for (size_t at = 0; at < data.size(); at += std::min(c.piece, data.size() - at))
            check.Take(data.data() + at, std::min(c.piece, data.size() - at));
        EXPECT_EQ(check.Matches(given), c.passes) << c.name;
    }
}

} // namespace
