#include "inspect/pngWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bootfile/safeSave.h"
#include "diagnostics/errors.h"
#include "imaging/pngEncoder.h"

const char *const pngExistsReason = "file exists (use --force to overwrite it)";

namespace {

[[noreturn]] void fail(const char *path, const char *reason)
{
    throw dawnmarkError_t{path, reason};
}

template <typename encode_t> void writePng(const char *path, bool overwrite, encode_t encode)
{
    std::vector<uint8_t> png;
    try {
        png = encode();
    } catch (const dawnmarkError_t &error) {
        fail(path, error.reason ? error.reason->c_str() : "");
    }
    writeOutputFile(path, png, overwrite);
}

} // namespace

void writeOutputFile(const char *path, const std::vector<uint8_t> &bytes, bool overwrite)
{
    // A file that is replaced keeps its content until the new one is whole
    // and on disk: a write that fails half way (a full disk) must not leave
    // the user with neither.
    if (overwrite) {
        safeFile_t file(path);
        file.Write(bytes.data(), bytes.size());
        file.Flush();
        file.Commit();
        return;
    }
    // "x" creates the file or fails if it exists, so nothing is ever
    // overwritten by a race between a test and the write.
    FILE *file = fopen(path, "wbx");
    if (file == nullptr)
        fail(path, errno == EEXIST ? pngExistsReason : strerror(errno));
    std::string reason;
    if (fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || fflush(file) != 0)
        reason = strerror(errno);
    if (fclose(file) != 0 && reason.empty())
        reason = strerror(errno);
    if (!reason.empty()) {
        remove(path);
        fail(path, reason.c_str());
    }
}

void writeIndexedPng(const char *path, uint32_t width, uint32_t height, const uint8_t *indices,
                     const uint8_t palette[kPaletteBytes], bool overwrite)
{
    writePng(path, overwrite, [&] { return encodeIndexedPng(width, height, indices, palette); });
}

void writePreviewPng(const char *path, uint32_t width, uint32_t height, const uint8_t *rgb,
                 bool overwrite)
{
    writePng(path, overwrite, [&] { return encodePreviewPng(width, height, rgb); });
}
