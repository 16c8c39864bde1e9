#include "support/scratch.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

#include "support/files.h"

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

std::string scratchDirectory()
{
    static const std::string directory = makeScratchDirectory();
    return directory;
}

std::string writeScratchFile(const std::string &name, const bytes_t &content)
{
    const std::string path = scratchDirectory() + "/" + name;
    writeFile(path, content);
    return path;
}

scratchDir_t::scratchDir_t() : path(makeScratchDirectory()) {}

scratchDir_t::~scratchDir_t()
{
    for (const std::string &name : Entries())
        remove(Path(name).c_str());
    remove(path.c_str());
}

std::vector<std::string> scratchDir_t::Entries() const
{
    std::vector<std::string> names;
    if (DIR *directory = opendir(path.c_str())) {
        while (dirent *entry = readdir(directory)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(directory);
    }
    std::sort(names.begin(), names.end());
    return names;
}
