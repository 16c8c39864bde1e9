#include "studio/openedBootLoader.h"

#include <sys/stat.h>

#include "diagnostics/errors.h"
#include "inspect/extract.h"
#include "inspect/inspection.h"

namespace {

/// The first of NAME-artwork, NAME-artwork-2, ... that the folder lacks.
std::string freeFolderName(const studioFolder_t &folder, const std::string &name)
{
    const std::string stem = name + "-artwork";
    std::string candidate = stem;
    struct stat status;
    for (int number = 2; lstat((folder.Path() + "/" + candidate).c_str(), &status) == 0; ++number)
        candidate = stem + "-" + std::to_string(number);
    return candidate;
}

/// The description's file names, which are relative to `directory`, made
/// relative to the folder above it.
std::string namesFromFolder(const std::string &text, const std::string &directory)
{
    std::string result;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
        start = end == std::string::npos ? text.size() : end + 1;
        if (line.rfind("#", 0) != 0)
            for (size_t at = 0; (at = line.find("\"slot", at)) != std::string::npos; at += directory.size() + 2)
                line.insert(at + 1, directory + "/");
        result += line;
    }
    return result;
}

} // namespace

openedSplash_t openBootLoader(const studioFolder_t &folder, const std::string &name, const std::string &bytes)
{
    std::string kept;
    const std::optional<std::string> there = folder.Resolve(name);
    const bool same = there && readWholeFile(*there, &kept) && kept == bytes;
    if (!same && !folder.CreateFile(name, bytes))
        throw dawnmarkError_t(name, "a file of that name is in the folder already, or it cannot be written");
    const std::string path = folder.Path() + "/" + name;
    try {
        const inspection_t inspection = inspectZbeos(path.c_str());
        const std::string directory = freeFolderName(folder, name);
        extractImages(inspection, folder.Path() + "/" + directory, false);
        openedSplash_t opened;
        opened.description =
            namesFromFolder(extractedDescription(inspection, folder.Path() + "/" + directory), directory);
        for (const std::string &written : extractedPaths(inspection, folder.Path() + "/" + directory))
            if (written.size() > 4 && written.compare(written.size() - 4, 4, ".png") == 0)
                opened.pictures.push_back(directory + written.substr(written.rfind('/')));
        return opened;
    } catch (const dawnmarkError_t &) {
        // What was copied only to be opened goes again.
        if (!same)
            folder.Remove(name);
        throw;
    }
}
