// Runs every case of commandLine.cases: Dawnmark in a folder that holds the
// sample boot loader file as zbeos and the files the case names, then its
// status, standard output after the banner, standard error, and the files
// it must leave. The file's head says how a case is written.
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "runFolder_support.h"

namespace {

using namePairs_t = std::vector<std::pair<std::string, std::string>>;

struct cliCase_t {
    std::string name;
    int status = 0;
    std::vector<std::string> args;
    namePairs_t files, holds;
    std::map<std::string, std::string> texts; ///< "out", "err", "out~", "err~"
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
        const size_t escape = i + 1 < text.size() && text[i] == '\\' ? std::string("nt\\").find(text[i + 1]) : 3;
        plain += escape < 3 ? "\n\t\\"[escape] : text[i];
        i += escape < 3;
    }
    return plain;
}

std::vector<cliCase_t> readCases()
{
    std::ifstream file(DAWNMARK_SOURCE_DIR "/tests/cli/commandLine.cases");
    std::map<std::string, std::string> variables;
    std::vector<cliCase_t> cases;
    for (std::string line; std::getline(file, line);) {
        const size_t colon = line.find(':');
        if (line.empty() || line[0] == '#' || colon == std::string::npos)
            continue;
        const std::string key = line.substr(0, colon), value = unescaped(line.substr(std::min(colon + 2, line.size())));
        const size_t equals = value.find('=');
        const std::pair<std::string, std::string> named(value.substr(0, equals), value.substr(equals + 1));
        std::istringstream words(value);
        if (key == "case" && words >> cases.emplace_back().name >> cases.back().status)
            for (std::string word; words >> word;)
                cases.back().args.push_back(word);
        else if (key == "define")
            variables[named.first] += named.second + "\n";
        else if (key == "file" || key == "holds")
            (key == "file" ? cases.back().files : cases.back().holds).push_back(named);
        else
            cases.back().texts[key] += value[0] == '$' ? variables[value.substr(1)] : value + "\n";
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
        std::map<std::string, std::string> texts = c.texts;
        if (texts.count(stream + "~") != 0)
            EXPECT_NE(got[stream].find(texts[stream + "~"]), std::string::npos) << got[stream];
        else
            EXPECT_EQ(got[stream], texts[stream]);
    }
    for (const auto &[name, original] : c.holds)
        EXPECT_EQ(readFile(path(name)), before[original]) << name;
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLine, testing::ValuesIn(readCases()),
                         [](const testing::TestParamInfo<cliCase_t> &info) { return info.param.name; });

} // namespace
