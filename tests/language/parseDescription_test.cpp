#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "language/parseDescription.h"
#include "language/splashDescription.h"
#include "scanText_support.h"

namespace {

splashDescription_t parse(const std::string &text) { return parseText(text); }

void expectImage(const splashImage_t &image, const char *file, int x, int y, uint32_t modifier,
                 uint32_t width, uint32_t height)
{
    EXPECT_EQ(image.fileName, file);
    EXPECT_EQ(image.x, x);
    EXPECT_EQ(image.y, y);
    EXPECT_EQ(image.modifier, modifier);
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
}

TEST(Parser, EmptyInputClearsIconsAndImagesButKeepsScreenPresets)
{
    for (const char *text : {"", "\n\n# only a comment\n\r\n"}) {
        splashDescription_t r = parse(text);
        EXPECT_EQ(r.screen().width, 640u);
        EXPECT_EQ(r.screen().height, 480u);
        EXPECT_EQ(r.screen().depth, 16u);
        EXPECT_EQ(r.iconsX(), 0u);
        EXPECT_EQ(r.iconsY(), 0u);
        EXPECT_EQ(r.images().size(), 0u);
        EXPECT_FALSE(r.ownIcons());
        EXPECT_EQ(r.iconsUnlitFile(), "");
    }
}

TEST(Parser, FillsTheRecordInFileOrder)
{
    splashDescription_t r = parse("screen 800 600 16\n"
                                  "icons \"lit.png\" \"unlit.png\" at 40 520\n"
                                  "\n"
                                  "image \"background.png\"\n"
                                  "image \"logo.png\" at 200 150\n"
                                  "image \"banner.tga\" at 0 400 resized to 800 64\n"
                                  "image \"corner.png\" at 700 0 clipped to 100 100\n"
                                  "image \"photo.jpg\" at 0 0 covering 1024 768\n"
                                  "image \"logo.png\" at 5 6 within 70 80\n"
                                  "image \"cut.jpg\" at 0 0 covering 640 480 focus 20 130\n"
                                  "screen 1024 768 32   # the later one wins\n"
                                  "icons at 1 2\n");
    EXPECT_EQ(r.screen().width, 1024u);
    EXPECT_EQ(r.screen().height, 768u);
    EXPECT_EQ(r.screen().depth, 32u);
    EXPECT_EQ(r.iconsX(), 1u);
    EXPECT_EQ(r.iconsY(), 2u);
    EXPECT_FALSE(r.ownIcons()) << "a later icons line wins whole";
    EXPECT_EQ(r.iconsLitFile(), "");
    ASSERT_EQ(r.images().size(), 7u);
    expectImage(r.images()[0], "background.png", 0, 0, MOD_NONE, 0, 0);
    expectImage(r.images()[1], "logo.png", 200, 150, MOD_NONE, 0, 0);
    expectImage(r.images()[2], "banner.tga", 0, 400, MOD_RESIZED, 800, 64);
    expectImage(r.images()[3], "corner.png", 700, 0, MOD_CLIPPED, 100, 100);
    expectImage(r.images()[4], "photo.jpg", 0, 0, MOD_COVERING, 1024, 768);
    expectImage(r.images()[5], "logo.png", 5, 6, MOD_WITHIN, 70, 80);
    expectImage(r.images()[6], "cut.jpg", 0, 0, MOD_COVERING, 640, 480);
    // A point past the picture's edge is kept as near as the cut allows.
    EXPECT_EQ(std::make_pair(r.images()[6].focusX, r.images()[6].focusY), std::make_pair(20u, 130u));
    EXPECT_EQ(std::make_pair(r.images()[4].focusX, r.images()[4].focusY), std::make_pair(50u, 50u)) << "the centre";
}

TEST(Parser, IconsLineMayNameItsOwnStrips)
{
    splashDescription_t r = parse("icons \"lit.png\" \"unlit.png\" at 220 420\n");
    EXPECT_EQ(r.iconsY(), 420u);
    EXPECT_TRUE(r.ownIcons());
    EXPECT_EQ(r.iconsLitFile(), "lit.png");
    EXPECT_EQ(r.iconsUnlitFile(), "unlit.png");
}

TEST(Parser, ZeroAndSaturatedNumbersPassUnchanged)
{
    splashDescription_t r = parse("image \"z\" at 0 99999999999 resized to 0 0\n");
    expectImage(r.images()[0], "z", 0, 2147483647, MOD_RESIZED, 0, 0);
}

TEST(Parser, SixtyFourImagesFit)
{
    std::string text;
    for (int i = 0; i < 64; ++i)
        text += "image \"f" + std::to_string(i) + "\" at " + std::to_string(i) + " 1\n";
    splashDescription_t r = parse(text);
    ASSERT_EQ(r.images().size(), 64u);
    expectImage(r.images()[63], "f63", 63, 1, MOD_NONE, 0, 0);
}

// A failed parse reports how and where it failed, in the words the tool
// prints; file names it had scanned but not stored are freed (the sanitized
// build checks that).
struct FailureCase {
    const char *name;
    std::string input;
    descriptionStatus_t status;
    const char *text;
};

class ParserFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(ParserFailure, ReportsStatusAndLine)
{
    const FailureCase &c = GetParam();
    splashDescription_t record;
    descriptionResult_t result = parseTextInto(c.input, &record);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(descriptionFailureText(result), c.text);
}

std::string lines(int count, const std::string &line)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += line;
    return text;
}

std::string images(int count)
{
    return lines(count, "image \"x\"\n");
}

const descriptionStatus_t syntax = descriptionStatus_t::syntaxError;
const descriptionStatus_t tableFull = descriptionStatus_t::imageTableFull;

INSTANTIATE_TEST_SUITE_P(
    Errors, ParserFailure,
    testing::Values(
        FailureCase{"ScreenWithTwoNumbersFailsAtItsLineEnd", "screen 1 2\n", syntax, "\n\nSyntax error at line 2\n"},
        FailureCase{"ScreenWithFourNumbers", "\nscreen 1 2 3 4\n", syntax, "\n\nSyntax error at line 2\n"},
        FailureCase{"LastLineWithoutLineEnd", "screen 1 2 3", syntax, "\n\nSyntax error at line 1\n"},
        FailureCase{"IconsWithoutAt", "icons 1 2\n", syntax, "\n\nSyntax error at line 1\n"},
        FailureCase{"IconsWithOneFile", "icons \"lit\" at 1 2\n", syntax, "\n\nSyntax error at line 1\n"},
        FailureCase{"IconFilesWithoutPosition", "icons \"lit\" \"unlit\"\n", syntax, "\n\nSyntax error at line 2\n"},
        FailureCase{"IconFilesAfterThePosition", "icons at 1 2 \"lit\" \"unlit\"\n", syntax,
                    "\n\nSyntax error at line 1\n"},
        FailureCase{"ResizeWithoutPosition", "image \"a\" resized to 1 2\n", syntax, "\n\nSyntax error at line 1\n"},
        FailureCase{"ResizedWithoutTo", "image \"a\" at 1 2 resized 1 2\n", syntax, "\n\nSyntax error at line 1\n"},
        FailureCase{"TwoDefinitionsOnALine", "icons at 1 2 icons at 1 2\n", syntax, "\n\nSyntax error at line 1\n"},
        FailureCase{"UnknownCharacter", "\n\nscreen 1 2 3;\n", syntax, "\n\nSyntax error at line 3\n"},
        FailureCase{"CommentAtEndWithoutLineEnd", "screen 1 2 3\n# bye", syntax, "\n\nSyntax error at line 2\n"},
        // A file name met where a number belongs, and one whose line goes
        // wrong after it, are the parser's to free.
        FailureCase{"FileNameWhereANumberBelongs", "screen \"a\" 2 3\n", syntax, "\n\nSyntax error at line 1\n"},
        FailureCase{"NumberAfterAFileName", "image \"a\" 5\n", syntax, "\n\nSyntax error at line 1\n"},
        // A NUL or high byte does not quietly end the input.
        FailureCase{"NulByteWhereALineCouldStart", std::string("screen 1 2 3\n\0\nimage \"x\"\n", 25), syntax,
                    "\n\nSyntax error at line 2\n"},
        FailureCase{"NulByteInAFileName", std::string("\nimage \"a.png\0x\"\n", 17), syntax,
                    "\n\nSyntax error at line 2\n"},
        FailureCase{"HighByteWhereALineCouldStart", "\n\xe9 rest\n", syntax, "\n\nSyntax error at line 2\n"},
        FailureCase{"HighByteInsideADefinition", "screen 1 \xff 3\n", syntax, "\n\nSyntax error at line 1\n"},
        FailureCase{"SixtyFifthImage", images(65), tableFull, "Image table full, bailing out\n"},
        FailureCase{"SixtyFifthImageBeforeALaterSyntaxError", images(65) + "screen\n", tableFull,
                    "Image table full, bailing out\n"},
        FailureCase{"SyntaxErrorBeforeTheSixtyFifthImage", "screen\n" + images(65), syntax,
                    "\n\nSyntax error at line 2\n"},
        // The parser stack holds at most 9,999 entries: two for the start,
        // one per completed definition and the symbols of the current one.
        FailureCase{"StackLimitEmptyLines", lines(9998, "\n"), syntax, "\n\nSyntax error at line 9999\n"},
        FailureCase{"StackLimitScreenLines", lines(9994, "screen 1 2 3\n"), syntax, "\n\nSyntax error at line 9995\n"},
        FailureCase{"StackLimitLongImageLine", lines(9989, "\n") + "image \"a\" at 1 2 resized to 3 4\n", syntax,
                    "\n\nSyntax error at line 9990\n"}),
    [](const testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.name); });

TEST(Parser, StackHoldsJustBelowTheLimit)
{
    EXPECT_EQ(parse(lines(9997, "\n")).images().size(), 0u);
    EXPECT_EQ(parse(lines(9993, "screen 1 2 3\n")).screen().width, 1u);
    EXPECT_EQ(parse(lines(9988, "\n") + "image \"a\" at 1 2 resized to 3 4\n").images().size(), 1u);
}

TEST(Parser, ReadFailureEndsTheParseWithTheScannersMessage)
{
    // Read fails in the middle of an image line whose file name the parser
    // holds: the name is freed with the parser's stack.
    FILE *input = openFailingAfter("screen 1 2 3\nimage \"a.png\" at 1 ");
    splashDescription_t record{};
    descriptionResult_t result = parseDescription(input, &record);
    fclose(input);
    EXPECT_EQ(result.status, descriptionStatus_t::scannerFailed);
    EXPECT_EQ(descriptionFailureText(result), "input in flex scanner failed\n");
    EXPECT_EQ(record.screen().width, 1u) << "definitions before the failure took effect";
}

TEST(Parser, EachParseStartsAfresh)
{
    splashDescription_t record;
    EXPECT_EQ(parseTextInto("\nscreen 1\n", &record).line, 3);
    EXPECT_EQ(parseTextInto("screen 1\n", &record).line, 2) << "the line counter starts again at 1";
    EXPECT_EQ(parseText("screen 7 8 9\n").screen().width, 7u);
}

} // namespace
