// How the inspector reports what it found in a boot loader file.
#include "inspect/report.h"

#include <gtest/gtest.h>

#include "bootfile/littleEndian.h"
#include "inspectFixtures_support.h"
#include "inspected_support.h"
#include "tools/sampleZbeos.h"

namespace {

class Report : public Inspected {};

TEST_F(Report, SectionsShowWhereTheMembersBeginAndTheirSizes)
{
    const size_t bootCode = makeSampleBootCode().size();
    const bytes_t loader = makeSampleLoader();
    const size_t loaderMember = makeGzipMember("beos", sampleMtime, loader.data(), loader.size()).size();
    const std::string report = formatReport(Inspect(zbeosWithPack(handPack())));
    EXPECT_NE(report.find("  second  loader, compressed  offset " +
                          std::string(8 - std::to_string(bootCode).size(), ' ') + std::to_string(bootCode) +
                          "  size " + std::string(8 - std::to_string(loaderMember).size(), ' ') +
                          std::to_string(loaderMember) + " bytes\n"),
              std::string::npos)
        << report;
}

TEST_F(Report, DirectoryShowsEveryEntryWithItsKindAndTheScreenRecord)
{
    const std::string report = formatReport(Inspect(zbeosWithPack(handPack())));
    EXPECT_NE(report.find("     5  OffIcons"), std::string::npos) << report;
    EXPECT_NE(report.find("20  2 x 2 at (5, 2)\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Screen record: 6 x 4, depth 8\n"), std::string::npos) << report;
}

TEST_F(Report, PaletteUseCountsEveryIndexOfEveryRecord)
{
    // Indices 1 to 13 appear, the one wholly off screen included.
    const std::string report = formatReport(Inspect(zbeosWithPack(handPack())));
    EXPECT_NE(report.find("Palette: 13 of 256 entries in use"), std::string::npos) << report;
}

struct headerCase_t {
    const char *name;
    uint32_t mtime;
    uint8_t xfl;
    uint8_t os;
    const char *lines;
};

class SplashHeader : public Inspected, public testing::WithParamInterface<headerCase_t> {};

TEST_P(SplashHeader, FieldsAreShownReadably)
{
    bytes_t file = zbeosWithPack(handPack());
    const size_t header = Inspect(file).layout.splashOffset;
    putLE32(file.data() + header + 4, GetParam().mtime);
    file[header + 8] = GetParam().xfl;
    file[header + 9] = GetParam().os;
    const std::string report = formatReport(Inspect(file));
    EXPECT_NE(report.find(GetParam().lines), std::string::npos) << report;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SplashHeader,
    testing::Values(headerCase_t{"Sample", sampleMtime, 2, 3,
                                 "  MTIME   946684800 (2000-01-01 00:00:00 UTC)\n"
                                 "  XFL     2 (maximum compression)\n  OS      3 (Unix)\n"},
                    headerCase_t{"NoTimeStamp", 0, 4, 255,
                                 "  MTIME   0 (no time stamp)\n  XFL     4 (fastest compression)\n"
                                 "  OS      255 (unknown)\n"},
                    headerCase_t{"LastSecond", 0xffffffff, 9, 14,
                                 "  MTIME   4294967295 (2106-02-07 06:28:15 UTC)\n"
                                 "  XFL     9 (not defined)\n  OS      14 (not defined)\n"}),
    [](const testing::TestParamInfo<headerCase_t> &info) { return std::string(info.param.name); });

} // namespace
