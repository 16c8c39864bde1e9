// What -v shows before a syntax error: what was found, what was expected,
// and a hint for the common slips.
#include <gtest/gtest.h>

#include <string>

#include "language/parseDescription.h"
#include "language/syntaxHint.h"
#include "scanText_support.h"

namespace {

struct HintCase {
    const char *name;
    std::string text;
    std::string reason;
};

class SyntaxHint : public testing::TestWithParam<HintCase> {};

TEST_P(SyntaxHint, SaysWhatWasFoundAndWhy)
{
    splashDescription_t record;
    descriptionResult_t result = parseTextInto(GetParam().text, &record);
    EXPECT_EQ(result.status, descriptionStatus_t::syntaxError);
    EXPECT_EQ(result.reason, GetParam().reason);
}

const std::string atLineStart = " where a keyword (screen, icons, image) was expected";

INSTANTIATE_TEST_SUITE_P(
    Slips, SyntaxHint,
    testing::Values(
        HintCase{"CapitalisedKeyword", "Screen 640 480 16\n",
                 "found 'Screen'" + atLineStart + ": keywords are lower case"},
        HintCase{"CapitalisedKeywordInALine", "image \"a.png\" AT 0 0\n",
                 "found 'AT' where 'at' or a line end was expected: keywords are lower case"},
        HintCase{"SingleQuotes", "image 'sun.png'\n",
                 "found 'sun.png' where a file name was expected: file names stand in double quotes"},
        HintCase{"SingleQuotedIcons", "icons 'lit.png' 'unlit.png' at 0 0\n",
                 "found 'lit.png' where 'at' or a file name was expected: file names stand in double quotes"},
        // A tab is a blank of text, not a byte of an image.
        HintCase{"SingleQuotesThenATab", "image 'a.png'\timage \"b.png\"\n",
                 "found 'a.png' where a file name was expected: file names stand in double quotes"},
        HintCase{"CommaBetweenNumbers", "screen 640,480,16\n",
                 "found ',' where a number was expected: numbers are separated by blanks"},
        HintCase{"MinusSign", "icons at 10 -20\n",
                 "found '-' where a number was expected: numbers have no sign and are separated by blanks"},
        HintCase{"ByteOrderMark", "\xef\xbb\xbfscreen 640 480 16\n",
                 "found a UTF-8 byte-order mark" + atLineStart + ": save the description without it"},
        HintCase{"LastLineWithoutLineEnd", "screen 640 480 16",
                 "found the end of the file where a line end was expected: the last line needs a line end too"},
        HintCase{"LastCommentWithoutLineEnd", "screen 640 480 16\n# end",
                 "found '#'" + atLineStart + ": a comment on the last line needs a line end too"},
        HintCase{"SizeChangeWithoutPosition", "image \"a.png\" resized to 320 200\n",
                 "found 'resized' where 'at' or a line end was expected: "
                 "a size change needs a position first, such as at 0 0"},
        HintCase{"CoverWithoutPosition", "image \"a.png\" covering 320 200\n",
                 "found 'covering' where 'at' or a line end was expected: "
                 "a size change needs a position first, such as at 0 0"},
        HintCase{"PngImage", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
                 "found byte 0x89" + atLineStart + ": the description is not a text file (an image?)"},
        // A binary PNM starts with text lines; its pixels come after them.
        HintCase{"PnmImage", "P6\n2 1\n255\n\xff\xff\xff\xff\xff\xff",
                 "found 'P6'" + atLineStart + ": the description is not a text file (an image?)"},
        HintCase{"NoSlip", "image \"a.png\" at 0 0 resized to 320\n", "found the line end where a number was expected"},
        HintCase{"LongFileNameCutShort", "screen \"" + std::string(60, 'x') + "\" 1 2\n",
                 "found \"" + std::string(39, 'x') + "... where a number was expected"},
        HintCase{"TooManyLines", std::string(9998, '\n'), stackFullReason}),
    [](const testing::TestParamInfo<HintCase> &info) { return std::string(info.param.name); });

TEST(SyntaxHint, InputThatFailsAfterTheErrorShowsWhatWasRead)
{
    FILE *input = openFailingAfter("Screen 640");
    splashDescription_t record{};
    descriptionResult_t result = parseDescription(input, &record);
    fclose(input);
    EXPECT_EQ(result.status, descriptionStatus_t::syntaxError);
    EXPECT_EQ(result.reason, "found 'Screen'" + atLineStart + ": keywords are lower case");
}

} // namespace
