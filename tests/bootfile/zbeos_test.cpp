#include "bootfile/zbeos.h"
#include "imaging/render.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bootfile/gziptools.h"
#include "bootfile/littleEndian.h"
#include "diagnostics/errors.h"
#include "diagnostics/traceMsg.h"
#include "bootfile/zbeosLayout.h"
#include "ioFaults_support.h"
#include "packBuilder_support.h"
#include "support/readOnlyMount.h"
#include "tools/sampleZbeos.h"

namespace {

const char *const notABooter = "doesn't look like a zbeos booter";
const char *const cannotUncompress = "cannot uncompress loader\n";
const char *const troublesReading = "troubles reading";

// The reason a file is refused with, or "loaded".
std::string loadFailure(const std::string &path, const char *expectedSubject = nullptr)
{
    try {
        zbeos_t zbeos(path.c_str());
    } catch (const cagada_t &error) {
        EXPECT_EQ(error.subject, expectedSubject ? expectedSubject : path.c_str());
        return error.reason.value_or("(no reason)");
    }
    return "loaded";
}

bytes_t patched(bytes_t bytes, size_t offset, std::initializer_list<unsigned char> values)
{
    std::copy(values.begin(), values.end(), bytes.begin() + offset);
    return bytes;
}

bytes_t splashMemberOf(const bytes_t &pack)
{
    return makeGzipMember("images", sampleMtime, pack.data(), pack.size());
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

TEST(Zbeos, PackErrorsPassThrough)
{
    scratchDir_t scratch;
    zbeosParts_t parts;
    bytes_t pack = wellFormedPack();
    putLE32(&pack[8], 767);
    parts.splashMember = splashMemberOf(pack);
    writeFile(scratch.Path("zbeos"), parts.Join());
    EXPECT_EQ(loadFailure(scratch.Path("zbeos"), "load_images"), "palette seems to be corrupted");
}

TEST(Zbeos, OnlyRegularFilesAndCharacterDevicesAreRead)
{
    scratchDir_t scratch;
    ASSERT_EQ(mkfifo(scratch.Path("fifo").c_str(), 0600), 0);
    EXPECT_EQ(loadFailure(scratch.Path("missing")), "File not found");
    EXPECT_EQ(loadFailure(scratch.path), troublesReading);
    EXPECT_EQ(loadFailure(scratch.Path("fifo")), troublesReading);

    traceCapture_t trace;
    EXPECT_EQ(loadFailure("/dev/null"), notABooter);
    EXPECT_EQ(trace.Text(), "... loading zbeos image\n"
                            "... ... loading 0 bytes from /dev/null\n"
                            "... ... dissecting zbeos...\n");
}

TEST(Zbeos, SplashOfExactly1MiBLoads)
{
    scratchDir_t scratch;
    zbeosParts_t parts;
    bytes_t pack = wellFormedPack();
    pack.resize(1048576);
    parts.splashMember = splashMemberOf(pack);
    writeFile(scratch.Path("zbeos"), parts.Join());
    EXPECT_EQ(loadFailure(scratch.Path("zbeos")), "loaded");
}

TEST(Zbeos, DissectionIsTraced)
{
    scratchDir_t scratch;
    zbeosParts_t parts;
    // A copy of the loader header inside the boot code is where the loader
    // section starts: the first match wins.
    std::copy(firstSignature, firstSignature + 15, parts.bootCode.begin() + 100);
    bytes_t file = parts.Join();
    writeFile(scratch.Path("zbeos"), file);
    const size_t splashAt = parts.bootCode.size() + parts.loaderMember.size();

    traceCapture_t trace;
    zbeos_t zbeos(scratch.Path("zbeos").c_str());
    char expected[1024];
    snprintf(expected, sizeof expected,
             "... loading zbeos image\n"
             "... ... loading %zu bytes from %s\n"
             "... ... dissecting zbeos...\n"
             "... ... ... first  section 100 bytes\n"
             "... ... ... second section %zu bytes (loader compressed)\n"
             "... ... ... third  section %zu bytes (splash compressed)\n"
             "... ... ... third  section %zu bytes (splash expanded)\n"
             "... ... ... Dissecting IconPack\n"
             "... ... ... ... found 2 images\n"
             "... ... ... ... OffIcons at slot 5\n",
             file.size(), scratch.Path("zbeos").c_str(), splashAt - 100, file.size() - splashAt,
             wellFormedPack().size());
    EXPECT_EQ(trace.Text(), expected);
    EXPECT_EQ(zbeos.headSectionsSize, splashAt);
    EXPECT_EQ(ident_level, 0u);
}

TEST(Zbeos, FileBeyond32BitsIsRefusedAfterItsSizeIsTraced)
{
    scratchDir_t scratch;
    const std::string path = scratch.Path("zbeos");
    // Sparse: takes no room on the disk.
    writeFile(path, bytes_t());
    ASSERT_EQ(truncate(path.c_str(), off_t(1) << 32), 0);
    traceCapture_t trace;
    EXPECT_EQ(loadFailure(path), troublesReading);
    EXPECT_EQ(trace.Text(), "... loading zbeos image\n"
                            "... ... loading 4294967296 bytes from " + path + "\n");
}

// The splash member of a written file, cut out and checked by gzip itself:
// it must test clean and unpack to exactly the pack.
void expectGzipReadsSplash(const std::string &file, uint32_t splashAt, const bytes_t &pack)
{
    bytes_t written = readBytes(file);
    ASSERT_GT(written.size(), splashAt);
    std::string member = file + ".images.gz";
    writeFile(member, bytes_t(written.begin() + splashAt, written.end()));
    EXPECT_EQ(system(("gzip -t " + member).c_str()), 0);
    ASSERT_EQ(system(("gzip -dc " + member + " > " + member + ".out").c_str()), 0);
    EXPECT_EQ(readBytes(member + ".out"), pack);
    remove((member + ".out").c_str());
    remove(member.c_str());
}

bytes_t serialized(const zbeos_t &zbeos)
{
    const zbeosIconPack_t &pack = *zbeos.iconPack;
    return pack.Serialize(renderSplash(pack.images, pack.imageCount, renderOptions_t()));
}

TEST(ZbeosSave, KeepsTheHeadAndSplashHeaderAndWritesAFreshMember)
{
    scratchDir_t scratch;
    zbeosParts_t parts;
    parts.between = {'g', 'a', 'p', 0, 0x1f};
    // Another build's MTIME, XFL and OS; a wrong trailer and junk before it.
    std::copy_n(std::initializer_list<unsigned char>{1, 2, 3, 4, 5, 6}.begin(), 6,
                parts.splashMember.begin() + 4);
    std::fill(parts.splashMember.end() - 8, parts.splashMember.end(), 0xee);
    parts.extraTail.assign(40, 0xab);
    writeFile(scratch.Path("zbeos"), parts.Join());

    zbeos_t zbeos(scratch.Path("zbeos").c_str());
    zbeos.DefineScreen(640, 480, 8);
    zbeos.IconsAt(1000, 1000);
    zbeos.Save(scratch.Path("newZbeos").c_str());

    bytes_t head = parts.bootCode;
    head.insert(head.end(), parts.loaderMember.begin(), parts.loaderMember.end());
    head.insert(head.end(), parts.between.begin(), parts.between.end());
    head.insert(head.end(), parts.splashMember.begin(), parts.splashMember.begin() + 17);
    bytes_t written = readBytes(scratch.Path("newZbeos"));
    ASSERT_GT(written.size(), head.size());
    EXPECT_EQ(bytes_t(written.begin(), written.begin() + head.size()), head);
    expectGzipReadsSplash(scratch.Path("newZbeos"), zbeos.headSectionsSize, serialized(zbeos));
}

TEST(ZbeosSave, OutputReparsesWithTheNewImagesFirst)
{
    scratchDir_t scratch;
    writeFile(scratch.Path("zbeos"), zbeosParts_t().Join());
    zbeos_t zbeos(scratch.Path("zbeos").c_str());
    std::vector<loadedImage_t> images(3);
    for (uint32_t i = 0; i < 3; ++i) {
        images[i].width = 20;
        images[i].height = 10;
        images[i].x = int32_t(30 * i);
        images[i].y = 5;
        for (unsigned p = 0; p < 20 * 10 * 4; ++p)
            images[i].pixels.push_back(uint8_t(p * (i + 1)));
    }
    for (loadedImage_t &image : images)
        zbeos.AddImage(&image);
    zbeos.Save(scratch.Path("newZbeos").c_str());
    expectGzipReadsSplash(scratch.Path("newZbeos"), zbeos.headSectionsSize, serialized(zbeos));

    traceCapture_t trace;
    zbeos_t again(scratch.Path("newZbeos").c_str());
    std::string text = trace.Text();
    EXPECT_NE(text.find("... ... ... ... found 4 images\n"), std::string::npos) << text;
    EXPECT_NE(text.find("... ... ... ... OffIcons at slot 7\n"), std::string::npos) << text;
}

TEST(ZbeosSave, OverTheInputGivesTheSameFile)
{
    scratchDir_t scratch;
    writeFile(scratch.Path("zbeos"), makeSampleZbeos());
    zbeos_t zbeos(scratch.Path("zbeos").c_str());
    zbeos.IconsAt(5, 5);
    zbeos.Save(scratch.Path("elsewhere").c_str());
    zbeos.Save(scratch.Path("zbeos").c_str());
    EXPECT_EQ(readBytes(scratch.Path("zbeos")), readBytes(scratch.Path("elsewhere")));
    EXPECT_EQ(scratch.Entries(), (std::vector<std::string>{"elsewhere", "zbeos"}));
}

TEST(ZbeosSave, NewFileTakesTheUmask)
{
    scratchDir_t scratch;
    writeFile(scratch.Path("zbeos"), makeSampleZbeos());
    zbeos_t zbeos(scratch.Path("zbeos").c_str());
    mode_t saved = umask(027);
    zbeos.Save(scratch.Path("newZbeos").c_str());
    umask(saved);
    struct stat status;
    ASSERT_EQ(stat(scratch.Path("newZbeos").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

// Runs work in a child process and returns its exit status (or 128 + the
// signal that ended it).
int inChild(const std::function<int()> &work)
{
    fflush(nullptr);
    pid_t child = fork();
    if (child == 0)
        _exit(work());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// 0 when Save refuses with the expected reason and the path as subject.
int saveRefused(const zbeos_t &zbeos, const std::string &path, const char *reason)
{
    try {
        zbeos.Save(path.c_str());
    } catch (const cagada_t &error) {
        if (error.subject != path)
            return 2;
        return error.reason == reason ? 0 : 3;
    }
    return 1;
}

class ZbeosSaveFailure : public testing::Test {
protected:
    void SetUp() override
    {
        writeFile(input.Path("zbeos"), makeSampleZbeos());
        zbeos.reset(new zbeos_t(input.Path("zbeos").c_str()));
        writeFile(output.Path("newZbeos"), precious);
    }

    // Nothing new in the output directory, and the old file as it was.
    void ExpectOutputUntouched()
    {
        EXPECT_EQ(output.Entries(), std::vector<std::string>{"newZbeos"});
        EXPECT_EQ(readBytes(output.Path("newZbeos")), precious);
    }

    scratchDir_t input;
    scratchDir_t output;
    std::unique_ptr<zbeos_t> zbeos;
    const bytes_t precious{'o', 'l', 'd', ' ', 'b', 'o', 'o', 't'};
};

TEST_F(ZbeosSaveFailure, MissingDirectory)
{
    EXPECT_EQ(saveRefused(*zbeos, output.Path("missing/newZbeos"), "No such file or directory"), 0);
    ExpectOutputUntouched();
}

TEST_F(ZbeosSaveFailure, FileSizeLimitDuringTheWrite)
{
    int status = inChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        return saveRefused(*zbeos, output.Path("newZbeos"), strerror(EFBIG));
    });
    EXPECT_EQ(status, 0);
    ExpectOutputUntouched();
}

// Permission bits do not stop root, so root gets a read-only bind mount in a
// private mount namespace of a child, and anyone else a directory without
// write permission.
TEST_F(ZbeosSaveFailure, ReadOnlyDirectory)
{
    const std::string directory = output.path;
    const bool root = geteuid() == 0;
    int status = inChild([&] {
        if (root) {
            if (!mountReadOnlyInPrivateNamespace(directory))
                return 77;
            return saveRefused(*zbeos, directory + "/newZbeos", strerror(EROFS));
        }
        if (chmod(directory.c_str(), 0555) != 0)
            return 11;
        return saveRefused(*zbeos, directory + "/newZbeos", strerror(EACCES));
    });
    chmod(directory.c_str(), 0700);
    if (status == 77)
        GTEST_SKIP() << "cannot mount a directory read-only for root here (no mount namespace, "
                        "or / is not a mount point)";
    EXPECT_EQ(status, 0);
    ExpectOutputUntouched();
}

// Where a byte goes wrong on its way to or from the disk: every section of the
// file is covered by the read-back, not only the splash it inflates.
struct diskFault_t {
    const char *name;
    bool onRead; ///< flipped when read back, not when written
    int64_t (*offset)(const zbeosLayout_t &layout);
};

void PrintTo(const diskFault_t &fault, std::ostream *out) { *out << fault.name; }

class ZbeosSaveDiskFault : public ZbeosSaveFailure, public testing::WithParamInterface<diskFault_t> {};

TEST_P(ZbeosSaveDiskFault, IsAFailedSaveThatRenamesNothing)
{
    const bytes_t original = readBytes(input.Path("zbeos"));
    const zbeosLayout_t layout = dissectZbeos(original.data(), original.size(), "zbeos");
    ioFaultsScope_t faults;
    (GetParam().onRead ? ioFaults.flipReadByteAt : ioFaults.flipWrittenByteAt) = GetParam().offset(layout);
    EXPECT_EQ(saveRefused(*zbeos, output.Path("newZbeos"), strerror(EIO)), 0);
    EXPECT_EQ(std::count(ioFaults.events.begin(), ioFaults.events.end(), "rename"), 0);
    ExpectOutputUntouched();
}

INSTANTIATE_TEST_SUITE_P(
    EverySection, ZbeosSaveDiskFault,
    testing::Values(
        diskFault_t{"BootCodeWritten", false, [](const zbeosLayout_t &) { return int64_t(3); }},
        diskFault_t{"LoaderWritten", false,
                    [](const zbeosLayout_t &l) { return int64_t(l.loaderOffset + 20); }},
        diskFault_t{"SplashHeaderWritten", false,
                    [](const zbeosLayout_t &l) { return int64_t(l.splashOffset + 4); }},
        diskFault_t{"SplashDataWritten", false,
                    [](const zbeosLayout_t &l) { return int64_t(l.splashOffset + 30); }},
        diskFault_t{"LoaderReadBack", true,
                    [](const zbeosLayout_t &l) { return int64_t(l.splashOffset - 1); }},
        diskFault_t{"SplashReadBack", true,
                    [](const zbeosLayout_t &l) { return int64_t(l.splashOffset + 40); }}),
    [](const testing::TestParamInfo<diskFault_t> &info) { return std::string(info.param.name); });

TEST_F(ZbeosSaveFailure, CompressionFailure)
{
    ioFaultsScope_t faults;
    ioFaults.failDeflate = true;
    EXPECT_EQ(saveRefused(*zbeos, output.Path("newZbeos"), "stream error"), 0);
    ExpectOutputUntouched();
}

// The file reaches the disk before it takes the name, and the name reaches
// the disk before Save returns.
TEST_F(ZbeosSaveFailure, FileThenNameAreFlushed)
{
    ioFaultsScope_t faults;
    zbeos->Save(output.Path("newZbeos").c_str());
    EXPECT_EQ(ioFaults.events, (std::vector<std::string>{"fsync file", "rename", "fsync directory"}));
    EXPECT_NE(readBytes(output.Path("newZbeos")), precious);
}

// A save ended from outside leaves the old file and nothing else; a signal
// the caller ignores stays ignored, and the save goes on.
struct interruption_t {
    const char *name;
    int signalNumber;
    bool ignored;
};

class ZbeosSaveInterrupted : public ZbeosSaveFailure, public testing::WithParamInterface<interruption_t> {};

TEST_P(ZbeosSaveInterrupted, LeavesNoTemporaryFile)
{
    const interruption_t &c = GetParam();
    int status = inChild([&] {
        signal(c.signalNumber, c.ignored ? SIG_IGN : SIG_DFL);
        ioFaults.raiseAtFsync = c.signalNumber;
        zbeos->Save(output.Path("newZbeos").c_str());
        struct sigaction after;
        return sigaction(c.signalNumber, nullptr, &after) == 0 && after.sa_handler == SIG_IGN ? 0 : 1;
    });
    EXPECT_EQ(status, c.ignored ? 0 : 128 + c.signalNumber);
    EXPECT_EQ(output.Entries(), std::vector<std::string>{"newZbeos"});
    EXPECT_EQ(readBytes(output.Path("newZbeos")) == precious, !c.ignored);
}

INSTANTIATE_TEST_SUITE_P(
    Signals, ZbeosSaveInterrupted,
    testing::Values(interruption_t{"Interrupt", SIGINT, false}, interruption_t{"Terminate", SIGTERM, false},
                    interruption_t{"HangUp", SIGHUP, false}, interruption_t{"IgnoredHangUp", SIGHUP, true}),
    [](const testing::TestParamInfo<interruption_t> &info) { return std::string(info.param.name); });

// A new splash must inflate into the boot loader's 1 MiB buffer: a larger
// one would give a file that cannot boot, so it is refused before writing.
TEST(SplashLimit, PackBeyondTheBootLoadersBufferIsRefusedBeforeWriting)
{
    scratchDir_t scratch;
    writeFile(scratch.Path("zbeos"), makeSampleZbeos());
    writeFile(scratch.Path("out"), bytes_t{'o', 'l', 'd'});
    zbeos_t zbeos(scratch.Path("zbeos").c_str());

    // Four screens of pixels, one byte each in the pack: more than 1 MiB.
    std::vector<loadedImage_t> images(4);
    for (loadedImage_t &image : images) {
        image.width = 640;
        image.height = 480;
        image.pixels.assign(640 * 480 * 4, 0);
        zbeos.AddImage(&image);
    }
    const std::string out = scratch.Path("out");
    try {
        zbeos.Save(out.c_str());
        FAIL() << "a splash of four screens was written";
    } catch (const cagada_t &error) {
        EXPECT_EQ(error.subject, out);
        EXPECT_EQ(error.reason, "new splash is larger than 1048576 bytes");
    }
    EXPECT_EQ(readBytes(out), (bytes_t{'o', 'l', 'd'}));
    EXPECT_EQ(scratch.Entries(), (std::vector<std::string>{"out", "zbeos"}));
}

} // namespace
