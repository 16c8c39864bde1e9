#include "support/scratch.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace {

// Removal belongs to the process that made the directories: a child that
// exits (a death test, say) must not take them from under its parent.
pid_t owner = 0;

std::vector<std::string> &directoriesToRemove()
{
    static std::vector<std::string> *directories = [] {
        auto *list = new std::vector<std::string>;
        owner = getpid();
        std::atexit([] {
            if (getpid() != owner)
                return;
            for (const std::string &directory : directoriesToRemove()) {
                std::error_code ignored;
                std::filesystem::remove_all(directory, ignored);
            }
        });
        return list;
    }();
    return *directories;
}

} // namespace

std::string makeScratchDirectory()
{
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/dawnmark-test-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr)
        throw std::runtime_error("cannot make a scratch directory in " + pattern);
    directoriesToRemove().push_back(pattern);
    return pattern;
}

void writeFileBytes(const std::string &path, const void *data, size_t size)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        throw std::runtime_error("cannot write " + path);
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written)
        throw std::runtime_error("cannot write " + path);
}

std::string fileContent(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string scratchDirectory()
{
    static const std::string directory = makeScratchDirectory();
    return directory;
}

std::string writeScratchFile(const std::string &name, const std::vector<uint8_t> &content)
{
    const std::string path = scratchDirectory() + "/" + name;
    writeFileBytes(path, content.data(), content.size());
    return path;
}
