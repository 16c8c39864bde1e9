// Runs every case of commandLine.cases: Dawnmark in a folder that holds the
// sample boot loader file as zbeos and the files the case names, then its
// status, standard output after the banner, standard error, and the files
// it must leave. The file's head says how a case is written.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "runFolder_support.h"

namespace {

struct cliCase_t {
    std::string name;
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> files; ///< name, content
    int status = 0;
    std::map<std::string, std::string> expected;                ///< "out", "err": the whole text
    std::vector<std::pair<std::string, std::string>> contained; ///< "out~"/"err~", a text within
    std::vector<std::pair<std::string, std::string>> holds;     ///< name, the file whose old bytes it holds
};

void PrintTo(const cliCase_t &c, std::ostream *os)
{
    *os << c.name;
}

/// The text with \n, \t and \\ read as a line end, a tab and a backslash.
std::string unescaped(const std::string &text)
{
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '\\' && (next == 'n' || next == 't' || next == '\\')) {
            plain += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
            ++i;
        } else
            plain += text[i];
    }
    return plain;
}

std::vector<cliCase_t> readCases()
{
    std::ifstream file(DAWNMARK_SOURCE_DIR "/tests/cli/commandLine.cases");
    std::map<std::string, std::string> variables;
    std::vector<cliCase_t> cases;
    std::string line;
    while (std::getline(file, line)) {
        const size_t colon = line.find(':');
        if (line.empty() || line[0] == '#' || colon == std::string::npos)
            continue;
        const std::string key = line.substr(0, colon);
        std::string value = unescaped(line.substr(std::min(line.size(), colon + 2)));
        if (!value.empty() && value[0] == '$')
            value = variables[value.substr(1)];
        else
            value += '\n';
        const size_t equals = value.find('=');
        if (key == "case")
            cases.emplace_back().name = value.substr(0, value.size() - 1);
        else if (key == "define")
            variables[value.substr(0, equals)] += value.substr(equals + 1);
        else if (key == "args")
            for (std::istringstream words(value); words >> line;)
                cases.back().args.push_back(line);
        else if (key == "file")
            cases.back().files.emplace_back(value.substr(0, equals), value.substr(equals + 1, value.size() - equals - 2));
        else if (key == "holds")
            cases.back().holds.emplace_back(value.substr(0, equals), value.substr(equals + 1, value.size() - equals - 2));
        else if (key == "status")
            cases.back().status = std::stoi(value);
        else if (key == "out" || key == "err")
            cases.back().expected[key] += value;
        else
            cases.back().contained.emplace_back(key, value);
    }
    return cases;
}

class CommandLine : public RunFolder, public testing::WithParamInterface<cliCase_t> {};

TEST_P(CommandLine, EndsAsTheCaseSays)
{
    const cliCase_t &c = GetParam();
    std::map<std::string, std::string> before = {{"zbeos", zbeosBytes}};
    for (const auto &[name, content] : c.files)
        writeFile(path(name), before[name] = content);
    const ToolRun run = runTool(DAWNMARK_BIN, c.args, dir);
    EXPECT_EQ(run.status, c.status) << run.err;
    std::map<std::string, std::string> got = {{"out", run.out.substr(bannerOf(run.out).size())}, {"err", run.err}};
    for (size_t at; (at = got["err"].find(DAWNMARK_BIN)) != std::string::npos;)
        got["err"].replace(at, strlen(DAWNMARK_BIN), "Dawnmark");
    for (const std::string stream : {"out", "err"}) {
        const bool partly = std::any_of(c.contained.begin(), c.contained.end(),
                                        [&](const auto &text) { return text.first == stream + "~"; });
        if (c.expected.count(stream) != 0 || !partly) {
            EXPECT_EQ(got[stream], c.expected.count(stream) != 0 ? c.expected.at(stream) : "") << stream;
        }
    }
    for (const auto &[stream, text] : c.contained)
        EXPECT_NE(got[stream.substr(0, 3)].find(text), std::string::npos) << text << " in " << got[stream.substr(0, 3)];
    for (const auto &[name, original] : c.holds)
        EXPECT_EQ(readFile(path(name)), before[original]) << name;
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLine, testing::ValuesIn(readCases()),
                         [](const testing::TestParamInfo<cliCase_t> &info) { return info.param.name; });

} // namespace
