// The description language example in the README must stay a valid
// description that says what the README says it does.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "language/parseDescription.h"
#include "language/splashDescription.h"
#include "scanText_support.h"

namespace {

// The first indented block after the heading of the description language.
std::string readmeExample()
{
    std::ifstream in(std::string(DAWNMARK_SOURCE_DIR) + "/README.md");
    std::string line, block;
    bool inSection = false;
    while (std::getline(in, line)) {
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
    std::string text = readmeExample();
    ASSERT_FALSE(text.empty());
    // Screen fields start at zero here, so the example's screen line must set them.
    splashDescription_t record{};
    TextFile file(text);
    descriptionResult_t result = parseDescription(file.get(), &record);
    keepFileNames(record);
    ASSERT_EQ(result.status, descriptionStatus_t::accepted);
    EXPECT_EQ(record.screenWidth, 640u);
    EXPECT_EQ(record.screenHeight, 480u);
    EXPECT_EQ(record.screenDepth, 16u);
    EXPECT_EQ(record.iconsX, 220u);
    EXPECT_EQ(record.iconsY, 420u);
    ASSERT_EQ(record.imageCount, 4u);
    EXPECT_STREQ(record.images[2].fileName, "stripe.tga");
    EXPECT_EQ(record.images[2].modifier, (uint32_t)MOD_RESIZED);
    EXPECT_EQ(record.images[3].modifier, (uint32_t)MOD_CLIPPED);
}

TEST(ReadmeExample, ExampleFolderDescriptionParses)
{
    std::ifstream in(std::string(DAWNMARK_SOURCE_DIR) + "/examples/splash.txt");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(parseText(text.str()).imageCount, 3u);
}

} // namespace
