#include "bootfile/iconPack.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>

#include "bootfile/littleEndian.h"
#include "diagnostics/errors.h"
#include "imaging/render.h"
#include "packBuilder_support.h"
#include "renderedSplash_support.h"

namespace {

const char *const paletteCorrupted = "palette seems to be corrupted";
const char *const iconsCorrupted = "icons seems to be corrupted";

std::string parseFailure(const bytes_t &pack)
{
    try {
        zbeosIconPack_t parsed(pack.data(), unsigned(pack.size()));
    } catch (const dawnmarkError_t &error) {
        EXPECT_EQ(error.subject, "load_images");
        return error.reason.value_or("(no reason)");
    }
    return "parsed";
}

bytes_t withEntry(bytes_t pack, unsigned k, uint32_t length, uint32_t offset)
{
    putLE32(&pack[8 * k], length);
    putLE32(&pack[8 * k + 4], offset);
    return pack;
}

uint32_t entryLength(const bytes_t &pack, unsigned k) { return getLE32(&pack[8 * k]); }
uint32_t entryOffset(const bytes_t &pack, unsigned k) { return getLE32(&pack[8 * k + 4]); }

// A pack that is nothing but directory: every entry from 4 on is in use, so
// only the end of the pack can stop the image list. The strip record lives
// inside the directory as entries 10 and 11, and entry 11 points at it.
bytes_t endlessImageList()
{
    packBuilder_t pack(128);
    for (unsigned k = 4; k < 128; ++k)
        pack.Entry(k, 1, 0);
    pack.Entry(1, 768, 0).Entry(2, 17, 80).Entry(10, 1, 1).Entry(11, 17, 80).Entry(12, 1, 0);
    return pack.bytes;
}

struct corruptCase_t {
    const char *name;
    std::function<bytes_t()> pack;
    const char *reason;
};

class CorruptPack : public testing::TestWithParam<corruptCase_t> {};

TEST_P(CorruptPack, IsRefusedWithoutReadingOutside)
{
    EXPECT_EQ(parseFailure(GetParam().pack()), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Packs, CorruptPack,
    testing::Values(
        corruptCase_t{"palette767", [] { return withEntry(wellFormedPack(), 1, 767, 60); }, paletteCorrupted},
        corruptCase_t{"palette769", [] { return withEntry(wellFormedPack(), 1, 769, 60); }, paletteCorrupted},
        corruptCase_t{"paletteOutside",
                      [] { bytes_t p = wellFormedPack(); return withEntry(p, 1, 768, uint32_t(p.size() - 700)); },
                      paletteCorrupted},
        corruptCase_t{"directoryEndsBeforePalette", [] { return bytes_t(12, 0); }, paletteCorrupted},
        corruptCase_t{"paletteTestedFirst",
                      [] { return withEntry(withEntry(wellFormedPack(), 2, 0, 0), 1, 0, 0); },
                      paletteCorrupted},
        corruptCase_t{"stripEmpty", [] { return withEntry(wellFormedPack(), 2, 0, 0); }, iconsCorrupted},
        corruptCase_t{"stripWrapsIn32Bits",
                      [] { return withEntry(wellFormedPack(), 2, 0x20, 0xfffffff0); }, iconsCorrupted},
        corruptCase_t{"stripShorterThanPixels",
                      [] { bytes_t p = wellFormedPack(); return withEntry(p, 2, 16 + 8000 - 1, entryOffset(p, 2)); },
                      iconsCorrupted},
        corruptCase_t{"stripPixelCountWraps",
                      [] {
                          packBuilder_t p(7);
                          p.Area(1, testPalette()).Area(2, imageRecord(0, 0, 1, 2, 0));
                          p.Area(4, imageRecord(0, 0, 1, 2, 0));
                          // 65536 x 65536 is 0 in 32 bits.
                          for (uint32_t k : {2u, 4u}) {
                              putLE32(&p.bytes[entryOffset(p.bytes, k)], 65536);
                              putLE32(&p.bytes[entryOffset(p.bytes, k) + 4], 65536);
                          }
                          return p.bytes;
                      },
                      iconsCorrupted},
        corruptCase_t{"emptyImageList", [] { return withEntry(wellFormedPack(), 4, 0, 0); }, iconsCorrupted},
        corruptCase_t{"noOffIcons",
                      [] {
                          packBuilder_t p(6);
                          p.Area(1, testPalette()).Area(2, imageRecord(200, 40, 220, 420, 7));
                          p.Area(4, imageRecord(200, 40, 221, 420, 3));
                          return p.bytes;
                      },
                      iconsCorrupted},
        corruptCase_t{"imageOutside",
                      [] { bytes_t p = wellFormedPack(); return withEntry(p, 4, 64, uint32_t(p.size())); },
                      iconsCorrupted},
        corruptCase_t{"offIconsShorterThanPixels",
                      [] { bytes_t p = wellFormedPack(); return withEntry(p, 5, 16 + 8000 - 1, entryOffset(p, 5)); },
                      iconsCorrupted},
        corruptCase_t{"imageListRunsOffThePack", endlessImageList, iconsCorrupted},
        // Records are matched by the header at their offset, whatever length
        // the entry gives: a short later match is still the last one.
        corruptCase_t{"lastMatchShorterThanItsHeader",
                      [] {
                          bytes_t p = wellFormedPack();
                          return withEntry(p, 6, 4, entryOffset(p, 5));
                      },
                      iconsCorrupted},
        corruptCase_t{"headerPastTheEnd",
                      [] {
                          bytes_t p = wellFormedPack();
                          return withEntry(p, 6, 1, uint32_t(p.size() - 1));
                      },
                      iconsCorrupted}),
    [](const testing::TestParamInfo<corruptCase_t> &info) { return info.param.name; });

TEST(IconPack, LastOfTwoMatchesIsTheOffIconsRecord)
{
    packBuilder_t p(7);
    p.Area(1, testPalette()).Area(2, imageRecord(200, 40, 220, 420, 7));
    p.Area(4, imageRecord(200, 40, 220, 420, 9)).Area(5, imageRecord(200, 40, 220, 420, 3));
    traceCapture_t trace;
    zbeosIconPack_t pack(p.bytes.data(), unsigned(p.bytes.size()));
    EXPECT_EQ(trace.Text(), "... Dissecting IconPack\n"
                            "... ... found 2 images\n"
                            "... ... OffIcons at slot 5\n");
    EXPECT_EQ(pack.OffIcons(), imageRecord(200, 40, 220, 420, 3));
    EXPECT_EQ(pack.Icons(), imageRecord(200, 40, 220, 420, 7));
    EXPECT_EQ(bytes_t(pack.Palette(), pack.Palette() + 768), testPalette());
}

struct placeCase_t {
    unsigned screenWidth, screenHeight; // 0: DefineScreen not called
    unsigned x, y;
    unsigned expectedX, expectedY;
    bytes_t screenRecord = bytes_t(12, 0); ///< the pack's: until DefineScreen, the screen
};

class IconsAt : public testing::TestWithParam<placeCase_t> {};

TEST_P(IconsAt, KeepsTheStripOnScreen)
{
    const placeCase_t &c = GetParam();
    bytes_t bytes = wellFormedPack();
    std::copy(c.screenRecord.begin(), c.screenRecord.end(), bytes.begin() + entryOffset(bytes, 0));
    zbeosIconPack_t pack(bytes.data(), unsigned(bytes.size()));
    if (c.screenWidth != 0)
        pack.DefineScreen(c.screenWidth, c.screenHeight, 8);
    pack.IconsAt(c.x, c.y);
    for (const bytes_t *record : {&pack.Icons(), &pack.OffIcons()}) {
        EXPECT_EQ(getLE32(&(*record)[8]), c.expectedX);
        EXPECT_EQ(getLE32(&(*record)[12]), c.expectedY);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Strip200x40, IconsAt,
    testing::Values(placeCase_t{640, 480, 1000, 1000, 440, 440},
                    placeCase_t{0, 0, 1000, 1000, 440, 440},
                    placeCase_t{0, 0, 1000, 1000, 600, 560, {32, 3, 0, 0, 88, 2, 0, 0, 16, 0, 0, 0}},
                    placeCase_t{640, 480, 10, 20, 10, 20},
                    placeCase_t{640, 480, 500, 450, 440, 440},
                    placeCase_t{800, 600, 700, 100, 600, 100},
                    placeCase_t{100, 30, 50, 10, 0, 0},
                    placeCase_t{100, 480, 50, 10, 0, 10},
                    placeCase_t{0xffffffff, 0xffffffff, 0xffffffff, 0xfffffff0, 0xffffff37, 0xffffffd7}));

// An image of one colour.
struct solidImage_t {
    solidImage_t(uint32_t width, uint32_t height, int32_t x, int32_t y, uint8_t red)
    {
        std::vector<uint8_t> pixels;
        for (size_t p = 0; p < size_t(width) * height; ++p)
            pixels.insert(pixels.end(), {0, 0, red, 255});
        image.replacePixels(width, height, std::move(pixels));
        image.placeAt(x, y);
    }
    loadedImage_t image;
};

bytes_t serialized(const zbeosIconPack_t &pack, const std::vector<const loadedImage_t *> &images = {})
{
    return laidOut(pack, renderedFor(pack.Palette(), images));
}

TEST(IconPack, SerializesWithoutImages)
{
    bytes_t input = wellFormedPack(3);
    zbeosIconPack_t pack(input.data(), unsigned(input.size()));
    pack.DefineScreen(800, 600, 8);
    pack.IconsAt(10, 20);
    bytes_t out = serialized(pack);

    const uint32_t stripBytes = 16 + 200 * 40;
    ASSERT_EQ(out.size(), 48u + 12 + 768 + 2 * stripBytes);
    const uint32_t expected[6][2] = {{12, 48},        {768, 60}, {stripBytes, 828},
                                     {0, 0},          {stripBytes, 828 + stripBytes}, {0, 0}};
    for (unsigned k = 0; k < 6; ++k) {
        EXPECT_EQ(entryLength(out, k), expected[k][0]) << "entry " << k;
        EXPECT_EQ(entryOffset(out, k), expected[k][1]) << "entry " << k;
    }
    EXPECT_EQ(getLE32(&out[48]), 800u);
    EXPECT_EQ(getLE32(&out[52]), 600u);
    EXPECT_EQ(getLE32(&out[56]), 8u);
    auto area = [&](size_t offset, size_t length) {
        return bytes_t(out.begin() + offset, out.begin() + offset + length);
    };
    const bytes_t palette = testPalette();
    EXPECT_EQ(area(60, 48), bytes_t(palette.begin(), palette.begin() + 48));
    EXPECT_EQ(area(828, stripBytes), imageRecord(200, 40, 10, 20, 7));
    EXPECT_EQ(area(828 + stripBytes, stripBytes), imageRecord(200, 40, 10, 20, 3));
}

TEST(IconPack, NewImagesGoBeforeOffIconsAndReparse)
{
    bytes_t input = wellFormedPack();
    zbeosIconPack_t pack(input.data(), unsigned(input.size()));
    solidImage_t red(30, 10, 5, 6, 200);
    // Same size and place as the strip: must not be taken for OffIcons.
    solidImage_t lookalike(200, 40, 220, 420, 90);
    pack.AddImage(pictureOf(red.image));
    pack.AddImage(pictureOf(lookalike.image));
    bytes_t out = serialized(pack, {&red.image, &lookalike.image});

    EXPECT_EQ(entryLength(out, 4), 16u + 300);
    EXPECT_EQ(getLE32(&out[entryOffset(out, 4) + 8]), 5u);
    EXPECT_EQ(getLE32(&out[entryOffset(out, 4) + 12]), 6u);
    for (unsigned k : {4u, 5u})
        for (uint32_t p = 16; p < entryLength(out, k); ++p)
            ASSERT_GE(out[entryOffset(out, k) + p], 16) << "entry " << k;

    traceCapture_t trace;
    zbeosIconPack_t again(out.data(), unsigned(out.size()));
    EXPECT_EQ(trace.Text(), "... Dissecting IconPack\n"
                            "... ... found 3 images\n"
                            "... ... OffIcons at slot 6\n");
    EXPECT_EQ(again.OffIcons(), imageRecord(200, 40, 220, 420, 3));
}

TEST(IconPack, NewColoursFollowTheSixteenKeptEntries)
{
    bytes_t input = wellFormedPack();
    zbeosIconPack_t pack(input.data(), unsigned(input.size()));
    solidImage_t red(30, 10, 5, 6, 200);
    pack.AddImage(pictureOf(red.image));
    bytes_t out = serialized(pack, {&red.image});

    const uint32_t palette = entryOffset(out, 1);
    const bytes_t kept = testPalette();
    EXPECT_EQ(bytes_t(out.begin() + palette, out.begin() + palette + 48),
              bytes_t(kept.begin(), kept.begin() + 48));
    // The canvas holds black and this red only: two colours, at entries 16
    // and 17 in some order, and nothing behind them.
    const uint8_t index = out[entryOffset(out, 4) + 16];
    ASSERT_TRUE(index == 16 || index == 17) << int(index);
    EXPECT_EQ(bytes_t(out.begin() + palette + 3 * index, out.begin() + palette + 3 * index + 3),
              (bytes_t{200, 0, 0}));
    const unsigned other = 33 - index;
    EXPECT_EQ(bytes_t(out.begin() + palette + 3 * other, out.begin() + palette + 3 * other + 3),
              (bytes_t{0, 0, 0}));
    for (unsigned entry = 18; entry < 256; ++entry)
        for (unsigned c = 0; c < 3; ++c)
            ASSERT_EQ(out[palette + 3 * entry + c], 0) << "entry " << entry;
    for (uint32_t p = 16; p < entryLength(out, 4); ++p)
        ASSERT_EQ(out[entryOffset(out, 4) + p], index);
}

TEST(IconPack, LaysOutTheRenderedSplashAsGiven)
{
    bytes_t input = wellFormedPack();
    zbeosIconPack_t pack(input.data(), unsigned(input.size()));
    solidImage_t first(3, 2, 7, 8, 1), second(1, 1, 9, 10, 1);
    pack.AddImage(pictureOf(first.image));
    pack.AddImage(pictureOf(second.image));
    uint8_t stored[768];
    for (unsigned j = 0; j < 256; ++j) {
        stored[3 * j] = uint8_t(j);
        stored[3 * j + 1] = uint8_t(255 - j);
        stored[3 * j + 2] = 7;
    }
    const std::vector<bytes_t> indices = {{16, 17, 18, 239, 116, 21}, {58}};
    const newSplash_t splash(stored, {}, [&](unsigned i, uint8_t *at, const rowsDone_t &rowsDone) {
        std::copy(indices[i].begin(), indices[i].end(), at);
        rowsDone(i == 0 ? 2 : 1);
    });
    const bytes_t out = laidOut(pack, splash);

    const uint32_t palette = entryOffset(out, 1);
    for (unsigned j = 0; j < 256; ++j)
        ASSERT_EQ(bytes_t(out.begin() + palette + 3 * j, out.begin() + palette + 3 + 3 * j),
                  (bytes_t{uint8_t(j), uint8_t(255 - j), 7}))
            << "entry " << j;
    EXPECT_EQ(bytes_t(out.begin() + entryOffset(out, 4), out.end() - 16 - 200 * 40 - 17),
              (bytes_t{3, 0, 0, 0, 2, 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0, 16, 17, 18, 239, 116, 21}));
    EXPECT_EQ(bytes_t(out.begin() + entryOffset(out, 5), out.end() - 16 - 200 * 40),
              (bytes_t{1, 0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0, 10, 0, 0, 0, 58}));
}

TEST(IconPack, RefusesAPackBeyond32BitLengths)
{
    bytes_t input = wellFormedPack();
    zbeosIconPack_t pack(input.data(), unsigned(input.size()));
    // Refused from the sizes alone: the pixels are never touched.
    packPicture_t huge;
    huge.width = huge.height = 70000;
    pack.AddImage(huge);
    EXPECT_THROW(pack.SerializedSize(), dawnmarkError_t);
    EXPECT_THROW(laidOut(pack, newSplash_t()), dawnmarkError_t);
}

TEST(IconPack, HoldsAtMost64Images)
{
    bytes_t input = wellFormedPack();
    zbeosIconPack_t pack(input.data(), unsigned(input.size()));
    const uint64_t empty = pack.SerializedSize();
    for (unsigned i = 0; i < 64; ++i)
        pack.AddImage(packPicture_t());
    EXPECT_THROW(pack.AddImage(packPicture_t()), dawnmarkError_t);
    EXPECT_EQ(pack.SerializedSize(), empty + 64 * (8 + 16)) << "64 images and no more";
}

} // namespace
