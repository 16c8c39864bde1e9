#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "bootfile/packPreview.h"
#include "bootfile/safeSave.h"
#include "diagnostics/errors.h"
#include "diagnostics/traceMsg.h"
#include "driver/run.h"
#include "imaging/pngEncoder.h"
#include "imaging/previewMark.h"

namespace {

// Two names of one file: the same file on the disk, or, where either does
// not exist yet, the same place once links and dots are resolved.
bool sameFile(const char *a, const char *b)
{
    struct stat first, second;
    if (stat(a, &first) == 0 && stat(b, &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    std::error_code error;
    const std::filesystem::path left = std::filesystem::weakly_canonical(a, error);
    if (error)
        return false;
    const std::filesystem::path right = std::filesystem::weakly_canonical(b, error);
    return !error && left == right;
}

std::vector<std::pair<const char *, bool>> previewsOf(const runSettings_t &settings)
{
    std::vector<std::pair<const char *, bool>> previews;
    if (settings.preview != nullptr)
        previews.emplace_back(settings.preview, false);
    if (settings.previewLit != nullptr)
        previews.emplace_back(settings.previewLit, true);
    return previews;
}

const char *refusal(const char *preview, const std::vector<const char *> &others)
{
    for (const char *other : others)
        if (sameFile(preview, other))
            return "is a file this run reads or writes; a preview never replaces it";
    struct stat status;
    if (stat(preview, &status) != 0)
        return nullptr;
    // A rename over a device or a directory would replace it, not write into it.
    if (!S_ISREG(status.st_mode))
        return "not a regular file";
    // A preview is replaced on every run while the user edits and looks;
    // anything else at its path may be a picture of their own.
    if (!isMarkedPreview(preview))
        return "is not a preview made by Dawnmark; it is never overwritten";
    return nullptr;
}

void writePreview(const char *path, const std::vector<unsigned char> &pack, bool lit)
{
    const packPreview_t screen = renderPackPreview(pack.data(), pack.size(), lit, path);
    std::vector<uint8_t> png;
    try {
        png = encodePreviewPng(screen.width, screen.height, screen.rgb.data());
    } catch (const dawnmarkError_t &error) {
        throw dawnmarkError_t(path, error.reason.value_or(""));
    }
    safeFile_t file(path);
    file.Write(png.data(), png.size());
    file.Flush();
    file.Commit();
}

} // namespace

int checkPreviewPaths(const runSettings_t &settings, const splashDescription_t &description)
{
    const auto previews = previewsOf(settings);
    for (size_t p = 0; p < previews.size(); ++p) {
        std::vector<const char *> others = {settings.pathToZbeos, settings.output};
        // The quick form has no description file.
        if (settings.splashFile != nullptr)
            others.push_back(settings.splashFile);
        for (const char *input : descriptionInputs(description))
            others.push_back(input);
        for (size_t q = 0; q < p; ++q)
            others.push_back(previews[q].first);
        if (const char *reason = refusal(previews[p].first, others)) {
            fflush(stdout);
            dawnmarkError_t(previews[p].first, reason).report();
            return 1;
        }
    }
    return 0;
}

int runPreviewPhase(const runSettings_t &settings, const std::vector<unsigned char> &pack)
{
    const auto previews = previewsOf(settings);
    if (previews.empty())
        return 0;
    try {
        for (const auto &[path, lit] : previews) {
            TRACE(0, "Writing preview %s (icons %s)\n", path, lit ? "lit" : "unlit");
            writePreview(path, pack, lit);
        }
        TRACE(0, "\n");
    } catch (const dawnmarkError_t &error) {
        fflush(stdout);
        error.report();
        return 1;
    }
    return 0;
}
