#include "inspect/extract.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/bootScreen.h"
#include "base/formatText.h"
#include "diagnostics/errors.h"
#include "inspect/pngWriter.h"

namespace {

bool writable(const directoryEntry_t &entry)
{
    return entry.isRecord && entry.record.pixels != nullptr && entry.record.width != 0 &&
           entry.record.height != 0;
}

/// Whether a record uses a colour of the splash's own (an entry past those
/// the boot loader keeps): a boot loader's own strips never do, since the
/// palette beyond those 16 belongs to whatever splash is there.
bool usesSplashColours(const directoryEntry_t &entry)
{
    const packRecord_t &record = entry.record;
    const uint64_t count = uint64_t(record.width) * record.height;
    return std::any_of(record.pixels, record.pixels + count, [](uint8_t index) { return index >= kKeptColors; });
}

// path as named from inside directory: relative when path is, so that the
// two can move together, absolute otherwise. Links are resolved first, as
// the system resolves ".." in a path.
std::string pathFrom(const std::string &directory, const std::string &path)
{
    std::error_code error;
    const std::filesystem::path file = std::filesystem::weakly_canonical(path, error);
    if (error)
        return path;
    const std::filesystem::path relative =
        file.lexically_relative(std::filesystem::weakly_canonical(directory, error));
    if (error || relative.empty() || std::filesystem::path(path).is_absolute())
        return file.string();
    return relative.string();
}

// A path as one word of a shell command: quoted when it holds anything but
// letters, digits and . / _ + -.
std::string shellWord(const std::string &path)
{
    if (!path.empty() && path.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                "0123456789./_+-") == std::string::npos)
        return path;
    std::string word = "'";
    for (char c : path)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

} // namespace

std::string extractedName(const directoryEntry_t &entry)
{
    const char *kind = entry.kind == entryKind_t::iconStrip ? "icons"
                       : entry.kind == entryKind_t::offIcons ? "officons"
                                                             : "image";
    return formatText("slot%02u-%s.png", unsigned(entry.slot), kind);
}

const char *const extractedDescriptionName = "splash.txt";

std::string extractedDescription(const inspection_t &inspection, const std::string &directory)
{
    // A line end in the name would end the comment early and leave the rest
    // of the name as a line of the description.
    const std::string zbeos = inspection.path.find_first_of("\r\n") == std::string::npos
                                  ? shellWord(pathFrom(directory, inspection.path))
                                  : "YOUR_ZBEOS";
    std::string text = "# Rebuild from this folder: Dawnmark --full-palette -z " + zbeos + " -o newZbeos " +
                       extractedDescriptionName + "\n";
    if (inspection.hasScreen)
        text += formatText("screen %u %u %u\n", unsigned(inspection.screen.width),
                           unsigned(inspection.screen.height), unsigned(inspection.screen.depth));
    // Strips of the splash's own colours were made for it: they are named,
    // so that they are mapped to the new palette again; the boot loader's
    // own strips stay its own.
    const directoryEntry_t *lit = nullptr, *unlit = nullptr;
    for (const directoryEntry_t &entry : inspection.directory) {
        if (entry.kind == entryKind_t::iconStrip)
            lit = &entry;
        else if (entry.kind == entryKind_t::offIcons)
            unlit = &entry;
    }
    if (lit != nullptr && unlit != nullptr && writable(*lit) && writable(*unlit) &&
        (usesSplashColours(*lit) || usesSplashColours(*unlit)))
        text += formatText("icons \"%s\" \"%s\" at %u %u\n", extractedName(*lit).c_str(), extractedName(*unlit).c_str(),
                           unsigned(lit->record.x), unsigned(lit->record.y));
    else if (lit != nullptr)
        text += formatText("icons at %u %u\n", unsigned(lit->record.x), unsigned(lit->record.y));
    for (const directoryEntry_t &entry : inspection.directory)
        if (entry.kind == entryKind_t::image && writable(entry))
            text += formatText("image \"%s\" at %u %u\n", extractedName(entry).c_str(),
                               unsigned(entry.record.x), unsigned(entry.record.y));
    return text;
}

std::vector<std::string> extractedPaths(const inspection_t &inspection, const std::string &directory)
{
    std::vector<std::string> paths;
    for (const directoryEntry_t &entry : inspection.directory)
        if (writable(entry))
            paths.push_back((std::filesystem::path(directory) / extractedName(entry)).string());
    paths.push_back((std::filesystem::path(directory) / extractedDescriptionName).string());
    return paths;
}

std::vector<std::string> extractImages(const inspection_t &inspection, const std::string &directory,
                                       bool overwrite)
{
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
        throw dawnmarkError_t{directory, error.message()};

    // Every name is checked before the first file is written, so a refusal
    // leaves the directory as it was.
    if (!overwrite)
        for (const std::string &path : extractedPaths(inspection, directory))
            if (std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found)
                throw dawnmarkError_t{path, pngExistsReason};

    const std::filesystem::path base(directory);

    std::vector<std::string> lines;
    for (const directoryEntry_t &entry : inspection.directory) {
        if (!entry.isRecord)
            continue;
        const std::string path = (base / extractedName(entry)).string();
        const packRecord_t &record = entry.record;
        if (!writable(entry)) {
            lines.push_back(formatText("skipped slot %u (%s): %s", unsigned(entry.slot),
                                       kindName(entry.kind),
                                       record.pixels == nullptr ? "damaged" : "no pixels"));
            continue;
        }
        writeIndexedPng(path.c_str(), record.width, record.height, record.pixels,
                        inspection.parsed->Palette(), overwrite);
        lines.push_back(formatText("wrote %s (%s, %u x %u)", path.c_str(), kindName(entry.kind),
                                   unsigned(record.width), unsigned(record.height)));
    }
    const std::string description = extractedDescription(inspection, directory);
    const std::string path = (base / extractedDescriptionName).string();
    writeOutputFile(path.c_str(), std::vector<uint8_t>(description.begin(), description.end()), overwrite);
    lines.push_back(formatText("wrote %s (splash description)", path.c_str()));
    return lines;
}
