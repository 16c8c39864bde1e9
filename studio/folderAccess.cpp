#include "studio/folderAccess.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/transferFully.h"
#include "diagnostics/errors.h"

namespace {

bool isPictureName(const std::string &name)
{
    static const char *const extensions[] = {".png", ".jpg", ".jpeg", ".gif", ".tga", ".bmp", ".pnm", ".ppm",
                                             ".pgm", ".pbm", ".psd", ".bits", ".webp",
#if DAWNMARK_HEIF
                                             ".heic", ".heif", ".avif",
#endif
#if DAWNMARK_JXL
                                             ".jxl",
#endif
    };
    for (const char *extension : extensions) {
        const size_t length = strlen(extension);
        if (name.size() > length && strcasecmp(name.c_str() + name.size() - length, extension) == 0)
            return true;
    }
    return false;
}

std::optional<std::string> realPath(const std::string &path)
{
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr)
        return std::nullopt;
    return std::string(resolved);
}

} // namespace

bool isPlainFileName(const std::string &name)
{
    return !name.empty() && name.size() < NAME_MAX && name[0] != '.' && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

studioFolder_t::studioFolder_t(const std::string &folder)
{
    const std::optional<std::string> resolved = realPath(folder);
    struct stat status;
    if (!resolved || stat(resolved->c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        throw dawnmarkError_t(folder, "not a folder that can be read");
    path = *resolved;
}

std::optional<std::string> studioFolder_t::Resolve(const std::string &name) const
{
    if (name.empty() || name[0] == '/' || name.find('\0') != std::string::npos)
        return std::nullopt;
    // A `..` step is refused even where it would come back in: the page
    // never needs one, and it is the first thing an intruder tries.
    for (size_t start = 0; start <= name.size();) {
        const size_t end = std::min(name.find('/', start), name.size());
        if (name.compare(start, end - start, "..") == 0)
            return std::nullopt;
        start = end + 1;
    }
    const std::string inside = path == "/" ? path : path + "/";
    const std::optional<std::string> resolved = realPath(inside + name);
    if (!resolved || resolved->compare(0, inside.size(), inside) != 0)
        return std::nullopt;
    return resolved;
}

std::vector<std::string> studioFolder_t::Pictures() const
{
    std::vector<std::string> names;
    DIR *directory = opendir(path.c_str());
    if (directory == nullptr)
        return names;
    while (const dirent *entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (!isPlainFileName(name) || !isPictureName(name))
            continue;
        const std::optional<std::string> resolved = Resolve(name);
        struct stat status;
        if (resolved && stat(resolved->c_str(), &status) == 0 && S_ISREG(status.st_mode))
            names.push_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

bool studioFolder_t::CreateFile(const std::string &name, const std::string &bytes) const
{
    if (!isPlainFileName(name))
        return false;
    const int folder = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return false;
    // O_EXCL fails on any name already there, a dangling link included.
    const int file = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    bool written = false;
    if (file >= 0) {
        const ssize_t moved = transferFully(
            bytes.size(), [&](size_t done) { return write(file, bytes.data() + done, bytes.size() - done); });
        written = moved == ssize_t(bytes.size()) && fsync(file) == 0;
        written = close(file) == 0 && written;
        if (!written)
            unlinkat(folder, name.c_str(), 0);
    }
    close(folder);
    return written;
}

void studioFolder_t::Remove(const std::string &name) const
{
    if (!isPlainFileName(name))
        return;
    const int folder = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return;
    unlinkat(folder, name.c_str(), 0);
    close(folder);
}

bool readWholeFile(const std::string &path, std::string *bytes)
{
    // Without O_NONBLOCK a pipe in the folder would hold the request for ever.
    const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0)
        return false;
    struct stat status;
    bool read = fstat(file, &status) == 0 && S_ISREG(status.st_mode);
    if (read) {
        bytes->resize(size_t(status.st_size));
        const ssize_t moved = transferFully(
            bytes->size(), [&](size_t done) { return ::read(file, &(*bytes)[done], bytes->size() - done); });
        read = moved == ssize_t(bytes->size());
    }
    close(file);
    return read;
}
