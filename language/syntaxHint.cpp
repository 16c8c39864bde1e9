#include "language/syntaxHint.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "language/tokens.h"

const char *const stackFullReason = "the description has more lines than the parser can hold (about 10,000)";

namespace {

/// How much of a token the report shows; a longer one is cut short.
constexpr size_t kShownBytes = 40;
/// How far past the token the report looks to tell text from an image.
constexpr size_t kLookedAtBytes = 256;

/// Names the grammar gives: the end of the input (the parser generator's
/// own name) and a line end.
const char kEndOfFile[] = "end of file";
const char kLineEnd[] = "a line end";

/// What stands where the parse stopped.
struct errorSite_t {
    int32_t code;      ///< the scanner's token code
    bool ended;        ///< the input ended there
    std::string token; ///< the token as written, up to one byte more than is shown
    std::string after; ///< the bytes that follow it
};

bool isKeyword(const std::string &name) { return name.find(' ') == std::string::npos; }

/// Control characters other than tabs, line ends and form feeds, and the
/// bytes that UTF-8 never uses: no description holds them, every image
/// format does near its start.
bool isBinary(unsigned char c)
{
    return (c < 0x20 && !(c >= '\t' && c <= '\r')) || c == 0x7f || c == 0xc0 || c == 0xc1 || c >= 0xf5;
}

bool startsWithByteOrderMark(const errorSite_t &site)
{
    return site.token == "\xef" && site.after.compare(0, 2, "\xbb\xbf") == 0;
}

/// A word that starts with the token: its letters and digits.
std::string wordAt(const errorSite_t &site)
{
    const std::string text = site.token + site.after;
    size_t end = 1;
    while (end < text.size() && end < kShownBytes && isalnum((unsigned char)text[end]))
        ++end;
    return text.substr(0, end);
}

/// Text in single quotes on one line, quotes included; empty when the line
/// has no second quote.
std::string singleQuotedAt(const errorSite_t &site)
{
    const size_t close = site.after.find_first_of("'\r\n");
    if (close == std::string::npos || site.after[close] != '\'' || close >= kShownBytes)
        return "";
    return "'" + site.after.substr(0, close + 1);
}

/// A token's text with control characters masked, cut short if long.
std::string shown(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size() && i < kShownBytes; ++i)
        out += (unsigned char)text[i] < 0x20 || text[i] == 0x7f ? '?' : text[i];
    return text.size() > kShownBytes ? out + "..." : out;
}

std::string foundText(const errorSite_t &site)
{
    if (site.ended)
        return "the end of the file";
    if (site.code == EOL)
        return "the line end";
    if (site.code == STRING_CONSTANT)
        return shown(site.token);
    if (site.code > EOL)
        return "'" + shown(site.token) + "'";
    const unsigned char c = site.token[0];
    if (startsWithByteOrderMark(site))
        return "a UTF-8 byte-order mark";
    if (isalpha(c))
        return "'" + wordAt(site) + "'";
    if (c == '\'')
        return singleQuotedAt(site).empty() ? "a single quote" : singleQuotedAt(site);
    if (c > ' ' && c < 0x7f)
        return std::string("'") + (char)c + "'";
    char byte[16];
    snprintf(byte, sizeof byte, "byte 0x%02X", c);
    return byte;
}

/// Keywords first, in one group when there are several; where a definition
/// may begin, an empty line or the end of the file goes without saying.
std::string expectedText(const std::vector<const char *> &expected)
{
    const bool lineStart = std::any_of(expected.begin(), expected.end(),
                                       [](const char *name) { return strcmp(name, kEndOfFile) == 0; });
    std::vector<std::string> keywords, parts;
    for (const std::string name : expected) {
        if (isKeyword(name))
            keywords.push_back(name);
        else if (name != kEndOfFile && !(lineStart && name == kLineEnd))
            parts.push_back(name);
    }
    if (keywords.size() == 1) {
        parts.insert(parts.begin(), "'" + keywords[0] + "'");
    } else if (!keywords.empty()) {
        std::string group = "a keyword (" + keywords[0];
        for (size_t i = 1; i < keywords.size(); ++i)
            group += ", " + keywords[i];
        parts.insert(parts.begin(), group + ")");
    }
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i)
        text += (i == 0 ? "" : i + 1 == parts.size() ? " or " : ", ") + parts[i];
    return text;
}

bool expects(const std::vector<const char *> &expected, const char *name)
{
    return std::any_of(expected.begin(), expected.end(), [name](const char *e) { return strcmp(e, name) == 0; });
}

std::string lowerCase(std::string word)
{
    for (char &c : word)
        c = (char)tolower((unsigned char)c);
    return word;
}

const char *hintFor(const errorSite_t &site, const std::vector<const char *> &expected)
{
    const std::string text = site.token + site.after;
    if (std::any_of(text.begin(), text.end(), [](char c) { return isBinary((unsigned char)c); }))
        return "the description is not a text file (an image?)";
    if (site.ended)
        return expects(expected, kLineEnd) ? "the last line needs a line end too" : "";
    if (site.code == _RESIZED || site.code == _CLIPPED || site.code == _COVERING || site.code == _WITHIN)
        return expects(expected, "at") ? "a size change needs a position first, such as at 0 0" : "";
    if (site.code >= EOL || site.token.empty())
        return "";
    if (startsWithByteOrderMark(site))
        return "save the description without it";
    const std::string word = wordAt(site), lower = lowerCase(word);
    if (lower != word && expects(expected, lower.c_str()))
        return "keywords are lower case";
    switch (site.token[0]) {
    case '\'': return "file names stand in double quotes";
    case ',': return "numbers are separated by blanks";
    case '-': return "numbers have no sign and are separated by blanks";
    case '#': return "a comment on the last line needs a line end too";
    }
    return "";
}

} // namespace

std::string syntaxErrorReason(descriptionScanner_t *scanner, const std::vector<const char *> &expected)
{
    errorSite_t site;
    site.code = scanner->currentToken().tok;
    site.ended = site.code == 0 && scanner->inputEnded();
    site.token = scanner->matchedText(kShownBytes + 1);
    site.after = scanner->followingBytes(kLookedAtBytes);
    std::string reason = "found " + foundText(site) + " where " + expectedText(expected) + " was expected";
    const char *hint = hintFor(site, expected);
    return *hint ? reason + ": " + hint : reason;
}
