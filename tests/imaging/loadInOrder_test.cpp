// Files loaded at once are handed over, and traced, as if loaded one after
// the other; nothing of the files after a refusal shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnostics/traceMsg.h"
#include "fixtures/imageFiles.h"
#include "fixtures/testThread.h"
#include "imaging/loadImage.h"
#include "imaging/loadInOrder.h"
#include "support/scratch.h"
#include "support/traceCapture.h"

namespace {

/// A file of the scratch directory: large and small pictures, so that loads
/// end out of order, a missing file and one that is no picture.
std::string fileFor(const std::string &name)
{
    if (name == "missing.png")
        return scratchDirectory() + "/missing.png";
    if (name == "junk.png")
        return writeScratchFile(name, bytes_t(40, 'j'));
    if (name == "large.png")
        return writeScratchFile(name, encodePng(colourfulImage(400, 300), false));
    return writeScratchFile(name, encodeBmp(colourfulImage(3, 2)));
}

struct orderCase_t {
    const char *name;
    std::vector<std::string> files;
    size_t refusedAt; ///< the outcome `use` refuses although it has an image; past the end for none
};

const orderCase_t orderCases[] = {
    {"EveryFile", {"large.png", "small.bmp", "large.png", "small.bmp", "large.png"}, 99},
    {"NoFiles", {}, 99},
    {"AMissingFileEndsTheLoads", {"large.png", "missing.png", "small.bmp", "large.png"}, 99},
    {"NoPictureEndsTheLoads", {"small.bmp", "large.png", "junk.png", "small.bmp"}, 99},
    {"ARefusedImageEndsTheLoads", {"large.png", "small.bmp", "large.png", "small.bmp"}, 1},
};

class LoadInOrder : public testing::TestWithParam<orderCase_t> {};

TEST_P(LoadInOrder, HandsOverAndTracesAsOneAfterTheOther)
{
    const orderCase_t &c = GetParam();
    std::vector<std::string> paths;
    for (const std::string &name : c.files)
        paths.push_back(fileFor(name));
    const auto refuses = [&](size_t i, bool failed) { return failed || i == c.refusedAt; };

    // One after the other, as the loads were made before.
    std::vector<size_t> wantedOrder;
    bool wantedAll = true;
    const std::string wanted = traceOf(2, [&] {
        for (size_t i = 0; i < paths.size(); ++i) {
            TRACE(0, "loading %s\n", paths[i].c_str());
            bool failed = false;
            try {
                loadImage(paths[i].c_str());
            } catch (dawnmarkError_t &) {
                failed = true;
            }
            wantedOrder.push_back(i);
            if (refuses(i, failed)) {
                wantedAll = false;
                break;
            }
        }
    });
    // Loads end in any order: a few rounds give the threads room to differ.
    for (int round = 0; round < 8; ++round) {
        std::vector<size_t> order;
        bool all = false;
        const std::string traced = traceOf(2, [&] {
            all = loadInOrder(paths, [&](size_t i, loadOutcome_t *outcome) {
                EXPECT_NE(outcome->image.has_value(), outcome->error.has_value()) << i;
                order.push_back(i);
                return !refuses(i, outcome->error.has_value());
            }, testThread());
        });
        ASSERT_EQ(traced, wanted) << "round " << round;
        ASSERT_EQ(order, wantedOrder) << "round " << round;
        ASSERT_EQ(all, wantedAll) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, LoadInOrder, testing::ValuesIn(orderCases),
                         [](const testing::TestParamInfo<orderCase_t> &info) { return std::string(info.param.name); });

} // namespace
