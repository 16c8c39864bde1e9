// The README's command examples for both programs are run as written, and
// its excerpt of a report is what the inspector prints.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "storedPng_support.h"
#include "support/files.h"
#include "support/runTool.h"
#include "support/scratch.h"
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

TEST(Readme, ExampleCommandsRunAsWritten)
{
    // The folder the examples assume: the old boot loader file and a
    // description with its images.
    const std::string dir = makeScratchDirectory();
    writeFile(dir + "/zbeos.old", makeSampleZbeos());
    for (const char *name : {"background.png", "sun.png", "stripe.tga"})
        std::filesystem::copy_file(std::string(DAWNMARK_SOURCE_DIR "/examples/") + name, dir + "/" + name);
    std::filesystem::copy_file(DAWNMARK_SOURCE_DIR "/examples/splash.txt", dir + "/my.splash");

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

TEST(Readme, ReportExcerptIsWhatTheSamplePrints)
{
    const std::string path = makeScratchDirectory() + "/zbeos";
    writeFile(path, makeSampleZbeos());
    const std::string excerpt = reportExcerpt();
    ASSERT_NE(excerpt.find("Directory: "), std::string::npos) << excerpt;
    ToolRun run = runInspector({path});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(excerpt), std::string::npos) << run.out;
}

} // namespace
