// What the inspector finds in a boot loader file.
#include "inspect/inspection.h"

#include <gtest/gtest.h>

#include "inspectFixtures_support.h"
#include "inspected_support.h"
#include "tools/sampleZbeos.h"

namespace {

class Inspection : public Inspected {};

TEST_F(Inspection, SectionsAreWhereTheMembersBegin)
{
    const bytes_t file = zbeosWithPack(handPack());
    inspection_t inspection = Inspect(file);
    const size_t bootCode = makeSampleBootCode().size();
    const bytes_t loader = makeSampleLoader();
    const size_t loaderMember = makeGzipMember("beos", sampleMtime, loader.data(), loader.size()).size();
    EXPECT_EQ(inspection.layout.loaderOffset, bootCode);
    EXPECT_EQ(inspection.layout.splashOffset, bootCode + loaderMember);
    EXPECT_EQ(inspection.layout.size, file.size());
    EXPECT_TRUE(inspection.damage.empty());
}

TEST_F(Inspection, DirectoryListsEveryEntryWithItsKind)
{
    inspection_t inspection = Inspect(zbeosWithPack(handPack()));
    const std::vector<std::pair<unsigned, entryKind_t>> expected = {
        {0, entryKind_t::screen}, {1, entryKind_t::palette},  {2, entryKind_t::iconStrip},
        {3, entryKind_t::unused}, {4, entryKind_t::image},    {5, entryKind_t::offIcons},
        {6, entryKind_t::image},  {7, entryKind_t::image},    {8, entryKind_t::image},
        {9, entryKind_t::end}};
    ASSERT_EQ(inspection.directory.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(inspection.directory[i].slot, expected[i].first);
        EXPECT_EQ(inspection.directory[i].kind, expected[i].second) << "slot " << i;
    }
}

} // namespace
