// Which files a preview may replace: its own kind only, found without
// reading more than the file's first bytes and without waiting.
#include "imaging/previewMark.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "imaging/pngEncoder.h"
#include "support/files.h"
#include "support/scratch.h"

namespace {

struct markCase_t {
    const char *name;
    /// Puts something at path, given a marked preview's bytes.
    void (*make)(const std::string &path, const bytes_t &preview);
    bool marked;
};

class PreviewMark : public testing::TestWithParam<markCase_t> {};

TEST_P(PreviewMark, IsFoundOnlyInAPreview)
{
    const uint8_t rgb[] = {10, 20, 30, 40, 50, 60};
    const std::string path = scratchDirectory() + "/" + GetParam().name;
    GetParam().make(path, encodePreviewPng(2, 1, rgb));
    EXPECT_EQ(isMarkedPreview(path.c_str()), GetParam().marked);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PreviewMark,
    testing::Values(
        markCase_t{"Preview", [](const std::string &p, const bytes_t &preview) { writeFile(p, preview); }, true},
        markCase_t{"CutInItsMark",
                   [](const std::string &p, const bytes_t &preview) {
                       writeFile(p, bytes_t(preview.begin(), preview.begin() + 50));
                   },
                   false},
        markCase_t{"Missing", [](const std::string &, const bytes_t &) {}, false},
        // Nobody writes to it: reading it would wait for ever.
        markCase_t{"PipeWithoutWriter",
                   [](const std::string &p, const bytes_t &) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }, false}),
    [](const testing::TestParamInfo<markCase_t> &info) { return std::string(info.param.name); });

} // namespace
