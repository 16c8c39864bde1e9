#include "bootfile/zbeosSections.h"

#include <cstring>
#include <functional>
#include <vector>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bootfile/gziptools.h"
#include "diagnostics/errors.h"
#include "diagnostics/traceStep.h"
#include "packBuilder_support.h"
#include "tools/sampleZbeos.h"

namespace {

const char *const notABooter = "doesn't look like a zbeos booter";
const char *const cannotUncompress = "cannot uncompress loader\n";
const char *const troublesReading = "troubles reading";

// The reason a file is refused with, or "loaded" once it is read, dissected
// and its splash inflated. Two steps deep, as a load calls them, so that the
// trace shows their own nesting.
std::string loadFailure(const std::string &path)
{
    traceStep_t load, inner;
    try {
        const std::vector<unsigned char> file = readZbeosFile(path.c_str());
        inflateSplash(file.data(), dissectZbeos(file.data(), file.size(), path.c_str()), path.c_str());
    } catch (const dawnmarkError_t &error) {
        EXPECT_EQ(error.subject, path);
        return *error.reason;
    }
    return "loaded";
}

bytes_t patched(bytes_t bytes, size_t offset, std::initializer_list<unsigned char> values)
{
    std::copy(values.begin(), values.end(), bytes.begin() + offset);
    return bytes;
}

struct refusedCase_t {
    const char *name;
    std::function<bytes_t()> file;
    const char *reason;
};

class RefusedFile : public testing::TestWithParam<refusedCase_t> {};

TEST_P(RefusedFile, IsReportedWithThePath)
{
    scratchDir_t scratch;
    writeFile(scratch.Path("zbeos"), GetParam().file());
    EXPECT_EQ(loadFailure(scratch.Path("zbeos")), GetParam().reason);
}

const size_t loaderAt = 1024; // the sample boot code's length

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedFile,
    testing::Values(
        refusedCase_t{"empty", [] { return bytes_t(); }, notABooter},
        refusedCase_t{"loaderHeaderOnly",
                      [] { return bytes_t(firstSignature, firstSignature + 15); }, notABooter},
        refusedCase_t{"loaderFlags09",
                      [] { return patched(zbeosParts_t().Join(), loaderAt + 3, {0x09}); }, notABooter},
        refusedCase_t{"splashFlags09",
                      [] {
                          zbeosParts_t parts;
                          parts.splashMember[3] = 0x09;
                          return parts.Join();
                      },
                      notABooter},
        refusedCase_t{"loaderNamedBeosx",
                      [] {
                          zbeosParts_t parts;
                          bytes_t loader = makeSampleLoader();
                          parts.loaderMember = makeGzipMember("beosx", 0, loader.data(), loader.size());
                          return parts.Join();
                      },
                      notABooter},
        refusedCase_t{"splashNamedImages2",
                      [] {
                          zbeosParts_t parts;
                          bytes_t pack = wellFormedPack();
                          parts.splashMember = makeGzipMember("images2", 0, pack.data(), pack.size());
                          return parts.Join();
                      },
                      notABooter},
        refusedCase_t{"splashBeforeLoader",
                      [] {
                          zbeosParts_t parts;
                          bytes_t file = parts.bootCode;
                          file.insert(file.end(), parts.splashMember.begin(), parts.splashMember.end());
                          file.insert(file.end(), parts.loaderMember.begin(), parts.loaderMember.end());
                          return file;
                      },
                      notABooter},
        refusedCase_t{"splashHeaderAtTheEnd",
                      [] {
                          zbeosParts_t parts;
                          parts.splashMember.assign(secondSignature, secondSignature + 17);
                          bytes_t file = parts.bootCode;
                          file.insert(file.end(), parts.loaderMember.begin(), parts.loaderMember.end());
                          file.insert(file.end(), secondSignature, secondSignature + 17);
                          return file;
                      },
                      notABooter},
        refusedCase_t{"splashShorterThanItsTrailer",
                      [] {
                          zbeosParts_t parts;
                          bytes_t file = parts.bootCode;
                          file.insert(file.end(), parts.loaderMember.begin(), parts.loaderMember.end());
                          file.insert(file.end(), secondSignature, secondSignature + 17);
                          file.insert(file.end(), {1, 2, 3, 4, 5, 6, 7});
                          return file;
                      },
                      cannotUncompress},
        refusedCase_t{"splashNotDeflate",
                      [] {
                          zbeosParts_t parts;
                          std::fill(parts.splashMember.begin() + 17, parts.splashMember.end() - 8, 0xff);
                          return parts.Join();
                      },
                      cannotUncompress},
        refusedCase_t{"splashOver1MiB",
                      [] {
                          zbeosParts_t parts;
                          bytes_t pack = wellFormedPack();
                          pack.resize(1048577);
                          parts.splashMember = splashMemberOf(pack);
                          return parts.Join();
                      },
                      cannotUncompress}),
    [](const testing::TestParamInfo<refusedCase_t> &info) { return info.param.name; });

TEST(ZbeosLayout, OnlyRegularFilesAndCharacterDevicesAreRead)
{
    scratchDir_t scratch;
    ASSERT_EQ(mkfifo(scratch.Path("fifo").c_str(), 0600), 0);
    EXPECT_EQ(loadFailure(scratch.Path("missing")), "File not found");
    EXPECT_EQ(loadFailure(scratch.path), troublesReading);
    EXPECT_EQ(loadFailure(scratch.Path("fifo")), troublesReading);

    traceCapture_t trace;
    EXPECT_EQ(loadFailure("/dev/null"), notABooter);
    EXPECT_EQ(trace.Text(), "... ... loading 0 bytes from /dev/null\n"
                            "... ... dissecting zbeos...\n");
}

TEST(ZbeosLayout, SplashOfExactly1MiBLoads)
{
    scratchDir_t scratch;
    zbeosParts_t parts;
    bytes_t pack = wellFormedPack();
    pack.resize(1048576);
    parts.splashMember = splashMemberOf(pack);
    writeFile(scratch.Path("zbeos"), parts.Join());
    EXPECT_EQ(loadFailure(scratch.Path("zbeos")), "loaded");
}

TEST(ZbeosLayout, FileBeyond32BitsIsRefusedAfterItsSizeIsTraced)
{
    scratchDir_t scratch;
    const std::string path = scratch.Path("zbeos");
    // Sparse: takes no room on the disk.
    writeFile(path, bytes_t());
    ASSERT_EQ(truncate(path.c_str(), off_t(1) << 32), 0);
    traceCapture_t trace;
    EXPECT_EQ(loadFailure(path), troublesReading);
    EXPECT_EQ(trace.Text(), "... ... loading 4294967296 bytes from " + path + "\n");
}

} // namespace
