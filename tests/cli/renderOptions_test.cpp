// The long options seen from outside: accepted alone and together, in any
// place on the command line, each changing the output where it has
// something to change, always the same bytes for the same run.
#include <gtest/gtest.h>

#include <filesystem>

#include "bootfile/zbeos.h"
#include "bootfile/zbeosSections.h"
#include "fixtures/bitmapStream.h"
#include "runFolder_support.h"

namespace {

/// A 'bits' stream of a w x h image whose colour changes across it, in
/// the given colour space, with alpha growing to the right.
bytes_t shadedStream(uint32_t w, uint32_t h, uint32_t colors)
{
    return bitmapStreamOf(w, h, colors, [w, h](uint32_t column, uint32_t row, uint8_t *bgra) {
        bgra[0] = uint8_t(row * 255 / h);
        bgra[1] = uint8_t(column * 255 / w);
        bgra[2] = uint8_t(90 + row % 7);
        bgra[3] = uint8_t(column * 255 / w);
    });
}

class RenderOptions : public RunFolder {
protected:
    void SetUp() override
    {
        RunFolder::SetUp();
        writeFile(dir + "/back.bits", shadedStream(640, 480, 0x0008));
        writeFile(dir + "/logo.bits", shadedStream(200, 100, 0x2008));
        writeFile(dir + "/d", "image \"back.bits\"\nimage \"logo.bits\" at 100 80\n");
        defaultCrc = run({});
    }

    /// Runs with these options and returns the checksum of the output.
    uint32_t run(const std::vector<std::string> &options)
    {
        std::vector<std::string> args = options;
        args.insert(args.end(), {"-z", "zbeos", "-o", "out", "d"});
        ToolRun result = runDawnmark(args, dir);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        return crcOf(readFile(dir + "/out"));
    }

    uint32_t defaultCrc = 0;
};

TEST_F(RenderOptions, EachChangesTheOutputAndAgainGivesTheSameBytes)
{
    const std::vector<std::vector<std::string>> sets = {
        {"--dither"}, {"--alpha"}, {"--full-palette"}, {"--full-palette", "--dither"},
        {"--alpha", "-v", "--full-palette", "--dither"}};
    std::vector<uint32_t> seen = {defaultCrc};
    for (const std::vector<std::string> &options : sets) {
        const uint32_t first = run(options);
        EXPECT_EQ(run(options), first) << options[0];
        for (uint32_t other : seen)
            EXPECT_NE(first, other) << options[0] << " gives the same output as another set";
        seen.push_back(first);
        // What was written is a boot loader file this tool reads again.
        EXPECT_NO_THROW(zbeos_t((dir + "/out").c_str()));
    }
}

TEST_F(RenderOptions, DitheredSplashIsDeflatedAtTheDefaultLevelAndSaysSo)
{
    // XFL, byte 8 of the splash member's header: 2 (maximum compression) in
    // the sample, 0 once the splash was deflated at level 6.
    for (const std::vector<std::string> &options :
         {std::vector<std::string>{}, {"--full-palette", "--alpha"}, {"--dither"}}) {
        run(options);
        const std::vector<unsigned char> written = readZbeosFile((dir + "/out").c_str());
        const auto layout = findZbeosSections(written.data(), written.size());
        ASSERT_TRUE(layout);
        const unsigned char *header = written.data() + layout->splashOffset;
        EXPECT_EQ(header[8], options == std::vector<std::string>{"--dither"} ? 0 : 2);
        EXPECT_EQ(header[9], 3) << "the rest of the header stays";
    }
}

TEST_F(RenderOptions, OptionsMayFollowTheDescription)
{
    ToolRun result = runDawnmark({"-z", "zbeos", "d", "--full-palette", "-o", "late"}, dir);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(crcOf(readFile(dir + "/late")), run({"--full-palette"}));
}

TEST_F(RenderOptions, AlphaChangesNothingWithoutTransparentImages)
{
    writeFile(dir + "/d", "image \"back.bits\"\n");
    EXPECT_EQ(run({"--alpha"}), run({}));
}

struct previewRefusal_t {
    const char *name;
    std::vector<std::string> options;
    const char *path; ///< the refused preview, as named in the report
    const char *reason;
    std::string existing = ""; ///< when not empty, what a file at path holds before the run
};

class PreviewRefused : public RenderOptions, public testing::WithParamInterface<previewRefusal_t> {};

TEST_P(PreviewRefused, BeforeAnyWorkAndLeavesThePathAsItWas)
{
    if (!GetParam().existing.empty())
        writeFile(dir + "/" + GetParam().path, GetParam().existing);
    const std::string before = readFile(dir + "/" + GetParam().path);
    std::vector<std::string> args = GetParam().options;
    args.insert(args.end(), {"-z", "zbeos", "-o", "out", "d"});
    ToolRun result = runDawnmark(args, dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, std::string("Error: ") + GetParam().path + " -- " + GetParam().reason + "\n");
    EXPECT_EQ(result.out.find("loading"), std::string::npos) << result.out;
    EXPECT_EQ(readFile(dir + "/" + GetParam().path), before);
}

const char *const readOrWritten = "is a file this run reads or writes; a preview never replaces it";
const char *const notAPreview = "is not a preview made by Dawnmark; it is never overwritten";

INSTANTIATE_TEST_SUITE_P(
    Paths, PreviewRefused,
    testing::Values(previewRefusal_t{"BootLoader", {"--preview", "zbeos"}, "zbeos", readOrWritten},
                    previewRefusal_t{"Description", {"--preview-lit", "./d"}, "./d", readOrWritten},
                    previewRefusal_t{"Image", {"--preview", "logo.bits"}, "logo.bits", readOrWritten},
                    previewRefusal_t{"Output", {"--preview", "out"}, "out", readOrWritten},
                    previewRefusal_t{"OtherPreview", {"--preview", "p.png", "--preview-lit", "x/../p.png"},
                                     "x/../p.png", readOrWritten},
                    previewRefusal_t{"Directory", {"--preview", "."}, ".", "not a regular file"},
                    previewRefusal_t{"Photo", {"--preview", "holiday.jpg"}, "holiday.jpg", notAPreview,
                                     std::string("\xff\xd8\xff\xe0\0\x10JFIF", 10)},
                    // A PNG file of another program: being a PNG is not enough.
                    previewRefusal_t{"OtherPicture", {"--preview-lit", "sun.png"}, "sun.png", notAPreview,
                                     readFile(DAWNMARK_SOURCE_DIR "/examples/sun.png")}),
    [](const testing::TestParamInfo<previewRefusal_t> &info) { return std::string(info.param.name); });

} // namespace
