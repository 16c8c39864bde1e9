#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <vector>

#include "bootfile/zbeosSections.h"
#include "diagnostics/errors.h"
#include "driver/run.h"

namespace {

// Whether input names the regular file that output's status describes. Only
// regular files can be lost; a device or pipe at the output path is written
// into, never replaced.
bool isSameFile(const struct stat &output, const char *input)
{
    struct stat status;
    return stat(input, &status) == 0 && S_ISREG(status.st_mode) && status.st_dev == output.st_dev &&
           status.st_ino == output.st_ino;
}

} // namespace

int refuseInputAsOutput(const runSettings_t &settings, const splashDescription_t &description)
{
    struct stat output;
    if (stat(settings.output, &output) != 0)
        return 0;
    // The quick form has no description file.
    bool input = settings.splashFile != nullptr && isSameFile(output, settings.splashFile);
    for (const char *image : descriptionInputs(description))
        input = input || isSameFile(output, image);
    if (!input)
        return 0;
    fflush(stdout);
    dawnmarkError_t(settings.output, "is an input of this run; it is never overwritten").report();
    return 1;
}

int refuseForeignOutput(const runSettings_t &settings)
{
    // An empty file holds nothing to lose; a device or FIFO is written
    // into, never replaced.
    struct stat output;
    if (stat(settings.output, &output) != 0 || !S_ISREG(output.st_mode) || output.st_size == 0)
        return 0;
    const char *reason = "is not a boot loader file; it is never overwritten";
    // A file larger than any boot loader file that can be read is none.
    if (uint64_t(output.st_size) <= UINT32_MAX) {
        // Read in one go: taken a character at a time, a boot loader file
        // cost the run milliseconds.
        std::ifstream file(settings.output, std::ios::binary);
        std::vector<unsigned char> bytes(size_t(output.st_size));
        file.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()));
        bytes.resize(size_t(file.gcount()));
        if (findZbeosSections(bytes.data(), bytes.size()))
            return 0;
        // What cannot be read cannot be told apart, and is not replaced.
        if (!file.is_open())
            reason = strerror(errno);
    }
    fflush(stdout);
    dawnmarkError_t(settings.output, reason).report();
    return 1;
}

bool replacesInputBootLoader(const runSettings_t &settings)
{
    struct stat output;
    return stat(settings.output, &output) == 0 && isSameFile(output, settings.pathToZbeos);
}
