#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "language/descriptionScanner.h"
#include "language/tokens.h"
#include "scanText_support.h"

namespace {

// A token as the tests spell it: code, and the value where one is set.
struct Tok {
    int code;
    std::string text = "";
    int number = 0;
    bool operator==(const Tok &other) const
    {
        return code == other.code && text == other.text && number == other.number;
    }
};

std::ostream &operator<<(std::ostream &out, const Tok &t)
{
    return out << "{" << t.code << ", \"" << t.text << "\", " << t.number << "}";
}

Tok str(const std::string &text) { return {STRING_CONSTANT, text, 0}; }
Tok num(int n) { return {INTEGER_CONSTANT, "", n}; }
Tok ch(char c) { return {(signed char)c}; }

std::vector<Tok> scanAll(const std::string &text)
{
    TextFile file(text);
    descriptionScanner_t scanner(file.get());
    std::vector<Tok> tokens;
    for (int guard = 0; guard < 10000; ++guard) {
        token_t *t = scanner.getToken();
        if (t->tok == 0 && scanner.inputEnded())
            break;
        Tok tok{t->tok};
        if (t->tok == STRING_CONSTANT) {
            tok.text = t->value.text;
            delete[] t->value.text;
        } else if (t->tok == INTEGER_CONSTANT) {
            tok.number = t->value.number;
        }
        tokens.push_back(tok);
    }
    return tokens;
}

struct ScanCase {
    const char *name;
    std::string input;
    std::vector<Tok> expected;
};

const Tok eol{EOL}, screen{_SCREEN}, icons{_ICONS}, image{_IMAGE}, at{_AT}, to{_TO},
    resized{_RESIZED}, clipped{_CLIPPED}, covering{_COVERING}, within{_WITHIN}, focus{_FOCUS};

class ScannerTokens : public testing::TestWithParam<ScanCase> {};

TEST_P(ScannerTokens, ProducesTheExpectedStream)
{
    EXPECT_EQ(scanAll(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lexemes, ScannerTokens,
    testing::Values(
        ScanCase{"Empty", "", {}},
        ScanCase{"Keywords", "screen icons image at to resized clipped covering within focus",
                 {screen, icons, image, at, to, resized, clipped, covering, within, focus}},
        ScanCase{"ImageLine", "image \"a b.png\" at 10 20\n",
                 {image, str("a b.png"), at, num(10), num(20), eol}},
        ScanCase{"KeywordNeedsNoSeparator", "screens", {screen, ch('s')}},
        ScanCase{"KeywordThenNumber", "screen640", {screen, num(640)}},
        ScanCase{"PrefixIsNoKeyword", "icon", {ch('i'), ch('c'), ch('o'), ch('n')}},
        ScanCase{"CaseMatters", "Screen",
                 {ch('S'), ch('c'), ch('r'), ch('e'), ch('e'), ch('n')}},
        ScanCase{"KeywordInsideWord", "Sat", {ch('S'), at}},
        ScanCase{"StringRunsToLastQuote", "\"a\" \"b\"\n", {str("a\" \"b"), eol}},
        ScanCase{"IconsLineStringsEndAtTheirQuoteUntilTheLineEnd", "icons \"a\" \"b\" at\n\"c\" \"d\"\n",
                 {icons, str("a"), str("b"), at, eol, str("c\" \"d"), eol}},
        ScanCase{"UnclosedQuoteIsACharacter", "\"ab\n", {ch('"'), ch('a'), ch('b'), eol}},
        ScanCase{"EmptyString", "\"\"", {str("")}},
        ScanCase{"BackslashIsOrdinary", "\"a\\nb\"", {str("a\\nb")}},
        ScanCase{"LeadingZeros", "007", {num(0), num(0), num(7)}},
        ScanCase{"NoSign", "-3", {ch('-'), num(3)}},
        ScanCase{"SaturatesAtInt32", "2147483647 2147483648 99999999999999999999999",
                 {num(2147483647), num(2147483647), num(2147483647)}},
        // CR LF is one line end, LF CR two.
        ScanCase{"LineEnds", "\r\n\n\r\r", {eol, eol, eol, eol}},
        ScanCase{"CommentFoldsIntoLineEnd", "# hello \"x\" screen\nicons", {eol, icons}},
        ScanCase{"CommentWithCrLf", "#c\r\n#d\r", {eol, eol}},
        ScanCase{"CommentAtEndWithoutLineEnd", "# at",
                 {ch('#'), at}},
        ScanCase{"TabsAndBlanksSkipped", " \t screen\t\t1", {screen, num(1)}},
        ScanCase{"HighByteIsNegative", "\xe9", {Tok{-23}}},
        ScanCase{"NulByteIsCodeZero", std::string("a\0b", 3), {ch('a'), Tok{0}, ch('b')}},
        ScanCase{"NulByteEndsNoStringButBreaksIt", std::string("\"a\0b\"", 5), {ch('"'), ch('a'), Tok{0}, ch('b'), ch('"')}},
        // A lone CR ends a string and a comment, as LF does.
        ScanCase{"LoneCrEndsString", "\"a\rb\"\r", {ch('"'), ch('a'), eol, ch('b'), ch('"'), eol}},
        ScanCase{"LoneCrEndsComment", "#x\rscreen\r", {eol, screen, eol}}),
    [](const testing::TestParamInfo<ScanCase> &info) { return std::string(info.param.name); });

TEST(Scanner, LineNumbersAreThoseAfterTheMatch)
{
    TextFile file("screen 1 2\nimage\r\n\rat");
    descriptionScanner_t scanner(file.get());
    std::vector<std::pair<int, int>> seen;
    for (;;) {
        token_t *t = scanner.getToken();
        if (t->tok == 0)
            break;
        seen.push_back({t->tok, t->line});
    }
    std::vector<std::pair<int, int>> expected = {
        {_SCREEN, 1}, {INTEGER_CONSTANT, 1}, {INTEGER_CONSTANT, 1}, {EOL, 2},
        {_IMAGE, 2},  {EOL, 3},              {EOL, 4},              {_AT, 4}};
    EXPECT_EQ(seen, expected);
}

TEST(Scanner, EndOfInputRepeats)
{
    TextFile file("at");
    descriptionScanner_t scanner(file.get());
    EXPECT_EQ(scanner.getToken()->tok, _AT);
    EXPECT_EQ(scanner.getToken()->tok, 0);
    EXPECT_TRUE(scanner.inputEnded());
    EXPECT_EQ(scanner.getToken()->tok, 0);
}

TEST(Scanner, LongTokensHaveNoLimit)
{
    std::string name(100000, 'x');
    auto tokens = scanAll("\"" + name + "\"\n");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0], str(name));
}

TEST(Scanner, OtherTokensLeaveTheValueAlone)
{
    TextFile file("42 at");
    descriptionScanner_t scanner(file.get());
    EXPECT_EQ(scanner.getToken()->value.number, 42);
    token_t *t = scanner.getToken();
    EXPECT_EQ(t->tok, _AT);
    EXPECT_EQ(t->value.number, 42);
}

TEST(Scanner, ScannersSideBySideKeepTheirOwnState)
{
    TextFile first("\n\nat"), second("at\n");
    descriptionScanner_t a(first.get()), b(second.get());
    EXPECT_EQ(a.getToken()->line, 2);
    EXPECT_EQ(b.getToken()->line, 1);
    EXPECT_EQ(a.getToken()->line, 3);
    EXPECT_EQ(b.getToken()->line, 2);
    EXPECT_EQ(a.getToken()->tok, _AT);
    EXPECT_EQ(a.getToken()->tok, 0);
    EXPECT_TRUE(a.inputEnded());
    EXPECT_FALSE(b.inputEnded());
}

TEST(Scanner, ReadFailureThrowsTheScannersMessage)
{
    FILE *input = openFailingAfter("screen ");
    const char *message = nullptr;
    {
        descriptionScanner_t scanner(input);
        EXPECT_EQ(scanner.getToken()->tok, _SCREEN);
        try {
            scanner.getToken();
        } catch (const scannerFailure_t &failure) {
            message = failure.message;
        }
    }
    fclose(input);
    EXPECT_STREQ(message, "input in flex scanner failed");
}

} // namespace
