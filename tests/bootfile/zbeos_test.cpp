#include "bootfile/zbeos.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>
#include <gtest/gtest.h>

#include "bootfile/gziptools.h"
#include "bootfile/littleEndian.h"
#include "diagnostics/errors.h"
#include "diagnostics/traceMsg.h"
#include "fixtures/testThread.h"
#include "bootfile/zbeosSections.h"
#include "ioFaults_support.h"
#include "packBuilder_support.h"
#include "renderedSplash_support.h"
#include "saveFailure_support.h"
#include "tools/sampleZbeos.h"

namespace {

// The reason a file is refused with, or "loaded".
std::string loadFailure(const std::string &path, const char *expectedSubject = nullptr)
{
    try {
        zbeos_t zbeos(path.c_str());
    } catch (const dawnmarkError_t &error) {
        EXPECT_EQ(error.subject, expectedSubject ? expectedSubject : path.c_str());
        return error.reason.value_or("(no reason)");
    }
    return "loaded";
}

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

TEST(Zbeos, DissectionIsTraced)
{
    scratchDir_t scratch;
    zbeosParts_t parts;
    // A copy of the loader member inside the boot code is where the loader
    // section starts: the first match wins (and is checked, whole).
    parts.bootCode.insert(parts.bootCode.begin() + 100, parts.loaderMember.begin(), parts.loaderMember.end());
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
    EXPECT_EQ(dissectZbeos(file.data(), file.size(), "zbeos").splashOffset, splashAt);
    EXPECT_EQ(ident_level, 0u);
}

// The splash member of a written file, cut out and checked by gzip itself:
// it must test clean and unpack to exactly the pack.
void expectGzipReadsSplash(const std::string &file, const bytes_t &pack)
{
    bytes_t written = readBytes(file);
    const uint64_t splashAt = dissectZbeos(written.data(), written.size(), file.c_str()).splashOffset;
    std::string member = file + ".images.gz";
    writeFile(member, bytes_t(written.begin() + splashAt, written.end()));
    EXPECT_EQ(system(("gzip -t " + member).c_str()), 0);
    ASSERT_EQ(system(("gzip -dc " + member + " > " + member + ".out").c_str()), 0);
    EXPECT_EQ(readBytes(member + ".out"), pack);
    remove((member + ".out").c_str());
    remove(member.c_str());
}

/// The splash of `images` for `zbeos`, rendered as a run renders it.
newSplash_t splashOf(const zbeos_t &zbeos, const std::vector<const loadedImage_t *> &images = {})
{
    return renderedFor(zbeos.IconPack().Palette(), images);
}

/// Saves `zbeos` to path with the splash of `images`, as a run does.
void save(const zbeos_t &zbeos, const std::string &path, const std::vector<const loadedImage_t *> &images = {})
{
    zbeos.Save(path.c_str(), splashOf(zbeos, images), 9, testThread());
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
    save(zbeos, scratch.Path("newZbeos"));

    bytes_t head = parts.bootCode;
    head.insert(head.end(), parts.loaderMember.begin(), parts.loaderMember.end());
    head.insert(head.end(), parts.between.begin(), parts.between.end());
    head.insert(head.end(), parts.splashMember.begin(), parts.splashMember.begin() + 17);
    bytes_t written = readBytes(scratch.Path("newZbeos"));
    ASSERT_GT(written.size(), head.size());
    EXPECT_EQ(bytes_t(written.begin(), written.begin() + head.size()), head);
    expectGzipReadsSplash(scratch.Path("newZbeos"), laidOut(zbeos.IconPack(), splashOf(zbeos)));
}

TEST(ZbeosSave, OutputReparsesWithTheNewImagesFirst)
{
    scratchDir_t scratch;
    writeFile(scratch.Path("zbeos"), zbeosParts_t().Join());
    zbeos_t zbeos(scratch.Path("zbeos").c_str());
    std::vector<loadedImage_t> images(3);
    for (uint32_t i = 0; i < 3; ++i) {
        std::vector<uint8_t> pixels;
        for (unsigned p = 0; p < 20 * 10 * 4; ++p)
            pixels.push_back(uint8_t(p * (i + 1)));
        images[i].replacePixels(20, 10, std::move(pixels));
        images[i].placeAt(int32_t(30 * i), 5);
    }
    std::vector<const loadedImage_t *> pointers;
    for (loadedImage_t &image : images) {
        zbeos.AddImage(pictureOf(image));
        pointers.push_back(&image);
    }
    save(zbeos, scratch.Path("newZbeos"), pointers);
    expectGzipReadsSplash(scratch.Path("newZbeos"), laidOut(zbeos.IconPack(), splashOf(zbeos, pointers)));

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
    save(zbeos, scratch.Path("elsewhere"));
    save(zbeos, scratch.Path("zbeos"));
    EXPECT_EQ(readBytes(scratch.Path("zbeos")), readBytes(scratch.Path("elsewhere")));
    EXPECT_EQ(scratch.Entries(), (std::vector<std::string>{"elsewhere", "zbeos"}));
}

// A save of the sample over a precious file, made to fail.
class ZbeosSaveFailure : public SaveFailure {
protected:
    void SetUp() override
    {
        SaveFailure::SetUp();
        writeFile(input.Path("zbeos"), makeSampleZbeos());
        zbeos.reset(new zbeos_t(input.Path("zbeos").c_str()));
    }

    /// 0 when the save to path is refused with reason.
    int Refused(const std::string &path, const char *reason) const
    {
        return saveRefused([this](const char *to) { save(*zbeos, to); }, path, reason);
    }

    scratchDir_t input;
    std::unique_ptr<zbeos_t> zbeos;
};

// Where a byte goes wrong on its way to or from the disk: every section of the
// file is covered by the read-back, not only the splash it inflates.
struct diskFault_t {
    const char *name;
    bool onRead; ///< flipped when read back, not when written
    int64_t (*offset)(const zbeosSections_t &layout);
};

void PrintTo(const diskFault_t &fault, std::ostream *out) { *out << fault.name; }

class ZbeosSaveDiskFault : public ZbeosSaveFailure, public testing::WithParamInterface<diskFault_t> {};

TEST_P(ZbeosSaveDiskFault, IsAFailedSaveThatRenamesNothing)
{
    const bytes_t original = readBytes(input.Path("zbeos"));
    const zbeosSections_t layout = dissectZbeos(original.data(), original.size(), "zbeos");
    ioFaultsScope_t faults;
    (GetParam().onRead ? ioFaults.flipReadByteAt : ioFaults.flipWrittenByteAt) = GetParam().offset(layout);
    EXPECT_EQ(Refused(output.Path("newZbeos"), strerror(EIO)), 0);
    EXPECT_EQ(std::count(ioFaults.events.begin(), ioFaults.events.end(), "rename"), 0);
    ExpectOutputUntouched();
}

INSTANTIATE_TEST_SUITE_P(
    EverySection, ZbeosSaveDiskFault,
    testing::Values(
        diskFault_t{"BootCodeWritten", false, [](const zbeosSections_t &) { return int64_t(3); }},
        diskFault_t{"LoaderWritten", false,
                    [](const zbeosSections_t &l) { return int64_t(l.loaderOffset + 20); }},
        diskFault_t{"SplashHeaderWritten", false,
                    [](const zbeosSections_t &l) { return int64_t(l.splashOffset + 4); }},
        diskFault_t{"SplashDataWritten", false,
                    [](const zbeosSections_t &l) { return int64_t(l.splashOffset + 30); }},
        diskFault_t{"LoaderReadBack", true,
                    [](const zbeosSections_t &l) { return int64_t(l.splashOffset - 1); }},
        diskFault_t{"SplashReadBack", true,
                    [](const zbeosSections_t &l) { return int64_t(l.splashOffset + 40); }}),
    [](const testing::TestParamInfo<diskFault_t> &info) { return std::string(info.param.name); });

TEST_F(ZbeosSaveFailure, CompressionFailure)
{
    ioFaultsScope_t faults;
    ioFaults.failDeflate = true;
    EXPECT_EQ(Refused(output.Path("newZbeos"), "stream error"), 0);
    ExpectOutputUntouched();
}

// A save ended from outside leaves the old file and nothing else, also when
// the signal comes while the temporary file is being made; a signal the
// caller ignores stays ignored, and the save goes on.
struct interruption_t {
    const char *name;
    int signalNumber;
    bool ignored;
    bool whileMakingTheFile = false; ///< raised by mkstemp rather than by fsync
};

class ZbeosSaveInterrupted : public ZbeosSaveFailure, public testing::WithParamInterface<interruption_t> {};

TEST_P(ZbeosSaveInterrupted, LeavesNoTemporaryFile)
{
    const interruption_t &c = GetParam();
    int status = inChild([&] {
        signal(c.signalNumber, c.ignored ? SIG_IGN : SIG_DFL);
        (c.whileMakingTheFile ? ioFaults.raiseAtMkstemp : ioFaults.raiseAtFsync) = c.signalNumber;
        save(*zbeos, output.Path("newZbeos"));
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
                    interruption_t{"HangUp", SIGHUP, false}, interruption_t{"IgnoredHangUp", SIGHUP, true},
                    interruption_t{"InterruptWhileTheFileIsMade", SIGINT, false, true}),
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
    // Refused from their sizes alone, before anything is rendered.
    for (unsigned i = 0; i < 4; ++i)
        zbeos.AddImage({640, 480, 0, 0});
    const std::string out = scratch.Path("out");
    try {
        zbeos.RequireSplashFits(out.c_str());
        FAIL() << "a splash of four screens was written";
    } catch (const dawnmarkError_t &error) {
        EXPECT_EQ(error.subject, out);
        EXPECT_EQ(error.reason, "new splash is larger than 1048576 bytes");
    }
    EXPECT_EQ(readBytes(out), (bytes_t{'o', 'l', 'd'}));
    EXPECT_EQ(scratch.Entries(), (std::vector<std::string>{"out", "zbeos"}));
}

} // namespace
