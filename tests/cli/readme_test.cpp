// Every example in the README is what the programs do: its command examples
// for both programs run as written, its excerpts of a report and of a refusal
// are what the programs print, and its splash description says what the
// README says it does.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fixtures/imageFiles.h"
#include "language/parseDescription.h"
#include "language/scanText_support.h"
#include "language/splashDescription.h"
#include "runFolder_support.h"
#include "storedPng_support.h"
#include "tools/sampleZbeos.h"

namespace {

std::vector<std::string> readmeLines()
{
    std::ifstream in(DAWNMARK_SOURCE_DIR "/README.md");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Example commands are indented lines that start with a program name; a
// synopsis has brackets and is no command.
std::vector<std::string> exampleCommands()
{
    std::vector<std::string> commands;
    for (const std::string &line : readmeLines())
        if (line.rfind("    Dawnmark", 0) == 0 && line.find('[') == std::string::npos)
            commands.push_back(line.substr(4));
    return commands;
}

std::vector<std::string> words(const std::string &command)
{
    std::istringstream in(command.substr(0, command.find('#')));
    std::vector<std::string> result;
    for (std::string word; in >> word;)
        result.push_back(word);
    return result;
}

class Readme : public RunFolder {};

TEST_F(Readme, ExampleCommandsRunAsWritten)
{
    // The folder the examples assume: the old boot loader file and a
    // description with its images.
    writeFile(path("zbeos.old"), makeSampleZbeos());
    copyExampleImages();
    writeFile(path("photo.jpg"), encodeJpeg(colourfulImage(800, 600), jpegKind_t::colour));
    std::filesystem::copy_file(DAWNMARK_SOURCE_DIR "/examples/splash.txt", path("my.splash"));

    const std::vector<std::string> commands = exampleCommands();
    ASSERT_GE(commands.size(), 5u);
    for (const std::string &command : commands) {
        SCOPED_TRACE(command);
        std::vector<std::string> args = words(command);
        const std::string program = args.front() == "Dawnmark" ? DAWNMARK_BIN : DAWNMARK_INSPECT_BIN;
        args.erase(args.begin());
        ToolRun run = runTool(program, args, dir);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
    }
    EXPECT_TRUE(readStoredPng(dir + "/preview.png").ok);
    EXPECT_TRUE(readStoredPng(dir + "/preview-lit.png").ok);
    EXPECT_TRUE(readStoredPng(dir + "/old-artwork/slot06-officons.png").ok);
    EXPECT_FALSE(readBytes(path("newZbeos.old")).empty()) << "--backup kept the earlier newZbeos";

    // The extracted description's first line, as the README shows it,
    // rebuilds from its folder.
    const std::string command = "--full-palette -z ../zbeos.old -o newZbeos splash.txt";
    const std::string line = "# Rebuild from this folder: Dawnmark " + command;
    EXPECT_EQ(readFile(path("old-artwork/splash.txt")).rfind(line + "\n", 0), 0u);
    const std::vector<std::string> lines = readmeLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "    " + line), lines.end());
    EXPECT_EQ(runTool(DAWNMARK_BIN, words(command), path("old-artwork")).status, 0);
}

// The indented block after the paragraph that names the sample file.
std::string reportExcerpt()
{
    std::string block;
    bool named = false;
    for (const std::string &line : readmeLines()) {
        if (!named) {
            named = line.find("`build/example/zbeos`") != std::string::npos;
            continue;
        }
        if (line.rfind("    ", 0) == 0)
            block += line.substr(4) + "\n";
        else if (!line.empty() && !block.empty())
            break;
        else if (!block.empty())
            block += "\n";
    }
    while (block.size() > 1 && block.compare(block.size() - 2, 2, "\n\n") == 0)
        block.pop_back();
    return block;
}

TEST_F(Readme, ReportExcerptIsWhatTheSamplePrints)
{
    const std::string excerpt = reportExcerpt();
    ASSERT_NE(excerpt.find("Directory: "), std::string::npos) << excerpt;
    ToolRun run = runInspector({path("zbeos")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(excerpt), std::string::npos) << run.out;
}

// The README's troubleshooting examples: the indented block after the
// paragraph that holds the marker, its last line on standard error.
struct readmeRefusal_t {
    const char *name;
    const char *marker;
    std::string description;
    size_t blockLines;
    std::string errHead; ///< what stands before the block's last line on standard error
};

class ReadmeRefusal : public RunFolder, public testing::WithParamInterface<readmeRefusal_t> {};

TEST_P(ReadmeRefusal, IsWhatARunPrints)
{
    const readmeRefusal_t &c = GetParam();
    std::vector<std::string> block;
    bool found = false;
    for (const std::string &line : readmeLines()) {
        found = found || line.find(c.marker) != std::string::npos;
        if (found && line.rfind("    ", 0) == 0)
            block.push_back(line.substr(4));
        else if (!block.empty())
            break;
    }
    ASSERT_EQ(block.size(), c.blockLines);
    writeFile(path("photo.pgm"), "P5\n4 4\n65535\n" + std::string(20, '\x7f'));
    ToolRun result = run(c.description, {"-v", "-z", "zbeos"});
    std::string out;
    for (size_t i = 0; i + 1 < block.size(); ++i)
        out += block[i] + "\n";
    ASSERT_GE(result.out.size(), out.size());
    EXPECT_EQ(result.out.substr(result.out.size() - out.size()), out);
    EXPECT_EQ(result.err, c.errHead + block.back() + "\n");
    EXPECT_EQ(result.status, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ReadmeRefusal,
    testing::Values(readmeRefusal_t{"ImageCutShort", "whose copy was cut", "image \"photo.pgm\"\n", 3, ""},
                    readmeRefusal_t{"CapitalisedKeyword", "first line reads", "Screen 640 480 16\n", 2, "\n\n"}),
    [](const testing::TestParamInfo<readmeRefusal_t> &info) { return std::string(info.param.name); });

// The first indented block after the heading of the description language.
std::string descriptionExample()
{
    std::string block;
    bool inSection = false;
    for (const std::string &line : readmeLines()) {
        if (line.rfind("## ", 0) == 0)
            inSection = line == "## The splash description";
        else if (inSection && line.rfind("    ", 0) == 0)
            block += line.substr(4) + "\n";
        else if (inSection && !block.empty() && !line.empty())
            break;
        else if (inSection && !block.empty())
            block += "\n";
    }
    return block;
}

TEST(ReadmeExample, ParsesAsDescribed)
{
    std::string text = descriptionExample();
    ASSERT_FALSE(text.empty());
    // Screen fields start at zero here, so the example's screen line must set them.
    splashDescription_t record{};
    TextFile file(text);
    descriptionResult_t result = parseDescription(file.get(), &record);
    ASSERT_EQ(result.status, descriptionStatus_t::accepted);
    EXPECT_EQ(record.screen().width, 640u);
    EXPECT_EQ(record.screen().height, 480u);
    EXPECT_EQ(record.screen().depth, 16u);
    EXPECT_EQ(record.iconsX(), 220u);
    EXPECT_EQ(record.iconsY(), 420u);
    ASSERT_EQ(record.images().size(), 4u);
    EXPECT_EQ(record.images()[2].fileName, "stripe.tga");
    EXPECT_EQ(record.images()[2].modifier, (uint32_t)MOD_RESIZED);
    EXPECT_EQ(record.images()[3].modifier, (uint32_t)MOD_CLIPPED);
}

TEST(ReadmeExample, ExampleFolderDescriptionParses)
{
    std::ifstream in(std::string(DAWNMARK_SOURCE_DIR) + "/examples/splash.txt");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(parseText(text.str()).images().size(), 3u);
}

} // namespace
