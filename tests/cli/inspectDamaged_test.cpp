// Damaged boot loader files: what Dawnmark refuses the inspector refuses
// with the same words; what Dawnmark lets pass the inspector still calls
// damage (a damaged loader member both call damage).
#include <gtest/gtest.h>

#include <functional>
#include <zlib.h>

#include "bootfile/littleEndian.h"
#include "inspect/inspectFixtures_support.h"
#include "storedPng_support.h"
#include "support/runTool.h"
#include "tools/sampleZbeos.h"

namespace {

bytes_t sample() { return makeSampleZbeos(); }

// Offset of the sample's splash member header.
size_t splashAt()
{
    const bytes_t loader = makeSampleLoader();
    return makeSampleBootCode().size() + makeGzipMember("beos", sampleMtime, loader.data(), loader.size()).size();
}

struct refusedCase_t {
    const char *name;
    std::function<bytes_t()> file; // empty: no file at all
    const char *error;             // after "Error: "; %s is the path
};

class Refused : public testing::TestWithParam<refusedCase_t> {};

TEST_P(Refused, LikeDawnmarkWithStatusOne)
{
    const std::string dir = makeScratchDirectory();
    const std::string path = dir + "/zbeos";
    if (GetParam().file)
        writeFile(path, GetParam().file());
    writeFile(dir + "/plain.splash", "screen 640 480 16\n");

    ToolRun inspected = runInspector({path});
    EXPECT_EQ(inspected.status, 1);
    EXPECT_EQ(inspected.out, "");
    char expected[256];
    snprintf(expected, sizeof expected, GetParam().error, path.c_str());
    EXPECT_EQ(inspected.err, std::string("Error: ") + expected);

    ToolRun dawnmark = runDawnmark({"-z", path, "-o", dir + "/newZbeos", dir + "/plain.splash"});
    EXPECT_EQ(dawnmark.status, 1);
    EXPECT_EQ(inspected.err, dawnmark.err);
}

bytes_t truncated() { bytes_t file = sample(); file.resize(file.size() - 100); return file; }

bytes_t withSplashFlags09() { bytes_t file = sample(); file[splashAt() + 3] = 0x09; return file; }

bytes_t corruptDeflate()
{
    // A final block of the reserved type 3.
    bytes_t file = sample();
    file[splashAt() + 17] = 0xff;
    return file;
}

bytes_t packFile(bytes_t pack) { return zbeosWithPack(pack); }

INSTANTIATE_TEST_SUITE_P(
    Files, Refused,
    testing::Values(
        refusedCase_t{"Missing", nullptr, "%s -- File not found\n"},
        refusedCase_t{"Empty", [] { return bytes_t(); }, "%s -- doesn't look like a zbeos booter\n"},
        refusedCase_t{"BootCodeOnly", [] { return makeSampleBootCode(); },
                      "%s -- doesn't look like a zbeos booter\n"},
        refusedCase_t{"BadSplashHeader", withSplashFlags09, "%s -- doesn't look like a zbeos booter\n"},
        refusedCase_t{"Truncated", truncated, "%s -- cannot uncompress loader\n\n"},
        refusedCase_t{"CorruptDeflate", corruptDeflate, "%s -- cannot uncompress loader\n\n"},
        refusedCase_t{"ShortPalette",
                      [] { return packFile(packOf({screenRecord(640, 480, 8), bytes_t(767, 1)})); },
                      "load_images -- palette seems to be corrupted\n"},
        refusedCase_t{"NoOffIcons",
                      [] {
                          return packFile(packOf({screenRecord(6, 4, 8), handPalette(),
                                                  packRecord(2, 1, 3, 3, {5, 6}), {},
                                                  packRecord(2, 1, 0, 0, {7, 7})}));
                      },
                      "load_images -- icons seems to be corrupted\n"}),
    [](const testing::TestParamInfo<refusedCase_t> &info) { return std::string(info.param.name); });

struct damageCase_t {
    const char *name;
    std::function<bytes_t()> file;
    std::function<std::string()> error; // after "Error: <path> -- "
};

class DamageDawnmarkAccepts : public testing::TestWithParam<damageCase_t> {};

TEST_P(DamageDawnmarkAccepts, IsReportedAfterTheReportWithStatusOne)
{
    const std::string path = makeScratchDirectory() + "/zbeos";
    writeFile(path, GetParam().file());
    ToolRun run = runInspector({path});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Directory: "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("DOES NOT MATCH") != std::string::npos,
              std::string(GetParam().name).rfind("Wrong", 0) == 0);
    EXPECT_EQ(run.err, "Error: " + path + " -- " + GetParam().error() + "\n");
}

// A damaged loader member would make a boot loader that does not start.
class DamagedLoader : public DamageDawnmarkAccepts {};

TEST_P(DamagedLoader, IsRefusedByDawnmarkInTheInspectorsWords)
{
    const std::string dir = makeScratchDirectory();
    writeFile(dir + "/zbeos", GetParam().file());
    writeFile(dir + "/plain.splash", "screen 640 480 16\n");
    ToolRun run = runDawnmark({"-z", dir + "/zbeos", "-o", dir + "/newZbeos", dir + "/plain.splash"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error: " + dir + "/zbeos -- " + GetParam().error() + "\n");
    EXPECT_TRUE(readBytes(dir + "/newZbeos").empty()) << "nothing is written";
}

bytes_t withTrailerValue(unsigned fromEnd, uint32_t value)
{
    bytes_t file = sample();
    putLE32(file.data() + file.size() - fromEnd, value);
    return file;
}

// The sample's own trailer field, fromEnd bytes before its end.
uint32_t sampleTrailer(unsigned fromEnd)
{
    const bytes_t file = sample();
    return getLE32(file.data() + file.size() - fromEnd);
}

std::string crcMismatch()
{
    char text[128];
    snprintf(text, sizeof text, "splash trailer CRC-32 0x12345678 does not match the inflated data (0x%08x)",
             unsigned(sampleTrailer(8)));
    return text;
}

std::string lengthMismatch()
{
    return "splash trailer length 7 does not match the inflated data (" + std::to_string(sampleTrailer(4)) +
           " bytes)";
}

// The sample with its loader member, of the sample's loader or another,
// changed by edit; the boot code and the splash member stay as they are.
bytes_t withLoaderMember(const std::function<void(bytes_t &)> &edit, const bytes_t &loader = makeSampleLoader())
{
    bytes_t member = makeGzipMember("beos", sampleMtime, loader.data(), loader.size());
    edit(member);
    bytes_t file = makeSampleBootCode();
    file.insert(file.end(), member.begin(), member.end());
    const bytes_t whole = sample();
    file.insert(file.end(), whole.begin() + splashAt(), whole.end());
    return file;
}

bytes_t withLoaderTrailerValue(unsigned fromEnd, uint32_t value, const bytes_t &loader = makeSampleLoader())
{
    return withLoaderMember([&](bytes_t &member) { putLE32(member.data() + member.size() - fromEnd, value); },
                            loader);
}

// A loader the size of a real one, about 200 KiB inflated; the sample's is
// far smaller.
bytes_t largeLoader()
{
    const bytes_t part = makeSampleLoader();
    bytes_t loader;
    while (loader.size() < 200 * 1024)
        loader.insert(loader.end(), part.begin(), part.end());
    return loader;
}

bytes_t withLoaderCut(unsigned bytes)
{
    return withLoaderMember([&](bytes_t &member) { member.resize(member.size() - bytes); });
}

std::string loaderCrcMismatch(const bytes_t &loader = makeSampleLoader())
{
    char text[128];
    snprintf(text, sizeof text, "loader member CRC-32 0x12345678 does not match the inflated data (0x%08x)",
             unsigned(crc32(0L, loader.data(), uInt(loader.size()))));
    return text;
}

std::string loaderLengthMismatch()
{
    return "loader member length 7 does not match the inflated data (" +
           std::to_string(makeSampleLoader().size()) + " bytes)";
}

const damageCase_t loaderDamage[] = {
        damageCase_t{"WrongCrc", [] { return withLoaderTrailerValue(8, 0x12345678); }, [] { return loaderCrcMismatch(); }},
        damageCase_t{"WrongCrcOfALargeLoader", [] { return withLoaderTrailerValue(8, 0x12345678, largeLoader()); },
                     [] { return loaderCrcMismatch(largeLoader()); }},
        damageCase_t{"WrongLength", [] { return withLoaderTrailerValue(4, 7); }, loaderLengthMismatch},
        damageCase_t{"CutInItsTrailer", [] { return withLoaderCut(5); },
                     [] { return std::string("loader member ends before its trailer"); }},
        damageCase_t{"CutInItsData", [] { return withLoaderCut(40); },
                     [] { return std::string("loader member ends before its deflate data does"); }},
        damageCase_t{"CorruptData",
                     [] { return withLoaderMember([](bytes_t &member) { member[15] = 0xff; }); },
                     [] { return std::string("loader member deflate data is corrupt (invalid block type)"); }}};

auto caseName = [](const testing::TestParamInfo<damageCase_t> &info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Loader, DamageDawnmarkAccepts, testing::ValuesIn(loaderDamage), caseName);
INSTANTIATE_TEST_SUITE_P(Loader, DamagedLoader, testing::ValuesIn(loaderDamage), caseName);

INSTANTIATE_TEST_SUITE_P(
    Files, DamageDawnmarkAccepts,
    testing::Values(
        damageCase_t{"WrongCrc", [] { return withTrailerValue(8, 0x12345678); }, crcMismatch},
        damageCase_t{"WrongLength", [] { return withTrailerValue(4, 7); }, lengthMismatch},
        damageCase_t{"ShortScreenRecord",
                     [] {
                         return packFile(packOf({bytes_t(8, 1), handPalette(), packRecord(2, 1, 3, 3, {5, 6}),
                                                 {}, packRecord(2, 1, 3, 3, {7, 7})}));
                     },
                     [] { return std::string("screen record missing or shorter than 12 bytes"); }},
        damageCase_t{"ShortImageRecord",
                     [] {
                         return packFile(packOf({screenRecord(6, 4, 8), handPalette(),
                                                 packRecord(2, 1, 3, 3, {5, 6}), {},
                                                 packRecord(4, 4, 0, 0, {1, 2, 3}),
                                                 packRecord(2, 1, 3, 3, {7, 7})}));
                     },
                     [] { return std::string("image record at slot 4 holds 19 bytes, fewer than its pixels need"); }}),
    [](const testing::TestParamInfo<damageCase_t> &info) { return std::string(info.param.name); });

TEST(DamagedArtwork, IsStillExtracted)
{
    const std::string dir = makeScratchDirectory();
    writeFile(dir + "/zbeos", withTrailerValue(8, 0));
    ToolRun run = runInspector({"--extract", dir + "/art", dir + "/zbeos"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(readStoredPng(dir + "/art/slot06-officons.png").ok);
}

} // namespace
