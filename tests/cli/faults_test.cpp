// Faults from outside the program: a full disk, output directories that are
// read-only or vanish, inputs that are not regular files, descriptions at
// and past their limits. Every run must end with its report and status,
// leave the input and any existing output as they were, and leave no
// temporary file behind.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

#include "fixtures/bitmapStream.h"
#include "runFolder_support.h"
#include "support/readOnlyMount.h"

namespace {

/// Exit status of a child whose setup was refused by the system.
const int setupRefused = 125;

// A bitmap stream whose pixels change across the image, so that the palette
// has real work to do.
bytes_t shadedBitmapStream(uint32_t width, uint32_t height)
{
    return bitmapStreamOf(width, height, 0x0008, [&](uint32_t column, uint32_t row, uint8_t *p) {
        p[0] = uint8_t(column * 255 / width);
        p[1] = uint8_t(row * 255 / height);
        p[2] = uint8_t((row + column) & 0xff);
        p[3] = 0;
    });
}

class Faults : public RunFolder {
protected:
    void SetUp() override
    {
        RunFolder::SetUp();
        writeFile(path("a.png"), shadedBitmapStream(100, 50));
        writeFile(path("out"), earlierOutput);
    }

    void TearDown() override
    {
        EXPECT_EQ(readFile(path("zbeos")), zbeosBytes) << "the input is only read";
        EXPECT_EQ(leftovers(dir), std::vector<std::string>{}) << "no temporary file stays behind";
    }

    /// Names in directory that a safe save would have left behind.
    static std::vector<std::string> leftovers(const std::string &directory)
    {
        std::vector<std::string> names;
        if (DIR *entries = opendir(directory.c_str())) {
            while (dirent *entry = readdir(entries))
                if (std::string(entry->d_name).rfind(".dawnmark-", 0) == 0)
                    names.push_back(entry->d_name);
            closedir(entries);
        }
        return names;
    }
};

struct BadBootLoader {
    const char *name;
    void (*make)(const std::string &path);
    std::string reason;
};

class BootLoaderInput : public Faults, public testing::WithParamInterface<BadBootLoader> {};

TEST_P(BootLoaderInput, IsReportedAfterTheImagesAndKeepsTheOutput)
{
    GetParam().make(path("bad"));
    ToolRun result = run("image \"a.png\"\n", {"-z", "bad", "-o", "out"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Error: bad -- " + GetParam().reason + "\n");
    EXPECT_NE(result.out.find("loading a.png\n"), std::string::npos);
    EXPECT_EQ(readFile(path("out")), earlierOutput);
}

INSTANTIATE_TEST_SUITE_P(
    NotARegularBootLoader, BootLoaderInput,
    testing::Values(
        BadBootLoader{"Directory", [](const std::string &p) { ASSERT_EQ(mkdir(p.c_str(), 0755), 0); },
                      "troubles reading"},
        // Nobody writes to the pipe: reading it would wait for ever.
        BadBootLoader{"PipeWithoutWriter", [](const std::string &p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); },
                      "troubles reading"},
        BadBootLoader{"Empty", [](const std::string &p) { writeFile(p, ""); }, "doesn't look like a zbeos booter"},
        // A character device is read for the bytes its end lies from its
        // start: none, so an endless one is not read for ever.
        BadBootLoader{"DeviceWithoutEnd", [](const std::string &p) { ASSERT_EQ(symlink("/dev/zero", p.c_str()), 0); },
                      "doesn't look like a zbeos booter"}),
    [](const testing::TestParamInfo<BadBootLoader> &info) { return std::string(info.param.name); });

struct BadImage {
    const char *name;
    void (*make)(const std::string &path);
};

class ImageFault : public Faults, public testing::WithParamInterface<BadImage> {};

// Only regular files are images: anything else is a load error at once, and a
// FIFO without a writer or an endless device does not hang the run.
TEST_P(ImageFault, IsALoadErrorBeforeTheBootLoaderIsTouched)
{
    GetParam().make(path("pictures"));
    ToolRun result = run("image \"a.png\"\nimage \"pictures\"\n", {"-z", "zbeos", "-o", "out"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Error: LoadImage error -- \n");
    EXPECT_EQ(result.out.find("loading zbeos"), std::string::npos) << "the boot loader is not touched";
    EXPECT_EQ(readFile(path("out")), earlierOutput);
}

INSTANTIATE_TEST_SUITE_P(
    Images, ImageFault,
    testing::Values(
        BadImage{"Directory", [](const std::string &p) { ASSERT_EQ(mkdir(p.c_str(), 0755), 0); }},
        BadImage{"PipeWithoutWriter", [](const std::string &p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }},
        BadImage{"DeviceWithoutEnd", [](const std::string &p) { ASSERT_EQ(symlink("/dev/zero", p.c_str()), 0); }}),
    [](const testing::TestParamInfo<BadImage> &info) { return std::string(info.param.name); });

struct FullDisk {
    const char *name;
    bool signalIgnored; ///< as a caller that ignores SIGXFSZ passes it on
    bool inspector;     ///< the inspector's preview with --force instead of a run
};

class DiskFull : public Faults, public testing::WithParamInterface<FullDisk> {};

// A file size limit below the size of the new file: the write fails part of
// the way through, exactly as on a disk that has just filled up.
TEST_P(DiskFull, WriteFailsCleanlyAndTheExistingOutputStays)
{
    const bool ignored = GetParam().signalIgnored;
    // The preview of the sample boot loader file is a PNG of about 4 KB.
    const rlim_t bytes = GetParam().inspector ? 1024 : 4096;
    RunHooks limited;
    limited.inChild = [ignored, bytes] {
        signal(SIGXFSZ, ignored ? SIG_IGN : SIG_DFL);
        rlimit limit = {bytes, bytes};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(setupRefused);
    };
    ToolRun result = GetParam().inspector
                         ? runTool(DAWNMARK_INSPECT_BIN, {"--force", "--preview", "out", "zbeos"}, dir, limited)
                         : run("image \"a.png\"\n", {"-z", "zbeos", "-o", "out"}, limited);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Error: out -- File too large\n");
    EXPECT_EQ(readFile(path("out")), earlierOutput);
}

INSTANTIATE_TEST_SUITE_P(FileSizeLimit, DiskFull,
                         testing::Values(FullDisk{"SignalIgnored", true, false}, FullDisk{"SignalAtDefault", false, false},
                                         FullDisk{"InspectorPreviewForced", false, true}),
                         [](const testing::TestParamInfo<FullDisk> &info) { return std::string(info.param.name); });

TEST_F(Faults, ReadOnlyOutputDirectoryKeepsItsFile)
{
    const std::string locked = path("locked");
    ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
    writeFile(locked + "/out", earlierOutput);
    RunHooks readOnly;
    if (geteuid() == 0) {
        // Permission bits do not stop root: a read-only bind mount does, in a
        // mount namespace of the run's own.
        readOnly.inChild = [locked] {
            if (!mountReadOnlyInPrivateNamespace(locked))
                _exit(setupRefused);
        };
    } else {
        ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
    }
    ToolRun result = run("image \"a.png\"\n", {"-z", "zbeos", "-o", "locked/out"}, readOnly);
    chmod(locked.c_str(), 0755);
    if (result.status == setupRefused)
        GTEST_SKIP() << "cannot mount a directory read-only for root here (no mount namespace, "
                        "or / is not a mount point)";
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, std::string("Error: locked/out -- ") +
                              (geteuid() == 0 ? "Read-only file system" : "Permission denied") + "\n");
    EXPECT_EQ(readFile(locked + "/out"), earlierOutput);
    EXPECT_EQ(leftovers(locked), std::vector<std::string>{});
}

// The description comes through a pipe, so the run is certain to have
// started when the directory goes: it waits for the end of its description.
TEST_F(Faults, OutputDirectoryThatVanishesDuringTheRun)
{
    const std::string doomed = path("doomed");
    ASSERT_EQ(mkdir(doomed.c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0644), 0);
    RunHooks vanish;
    vanish.whileRunning = [this, doomed] {
        int description = open(path("fifo").c_str(), O_WRONLY);
        ASSERT_GE(description, 0);
        const std::string text = "image \"a.png\"\n";
        EXPECT_EQ(write(description, text.data(), text.size()), ssize_t(text.size()));
        EXPECT_EQ(rmdir(doomed.c_str()), 0);
        close(description);
    };
    ToolRun result = runTool(DAWNMARK_BIN, {"-z", "zbeos", "-o", "doomed/out", "fifo"}, dir, vanish);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Error: doomed/out -- No such file or directory\n");
    EXPECT_NE(result.out.find("Building new zbeos (doomed/out)\n"), std::string::npos) << result.out;
}

std::string repeated(const std::string &line, int count)
{
    std::string text;
    text.reserve(line.size() * count);
    for (int i = 0; i < count; ++i)
        text += line;
    return text;
}

const std::string megabyte(1 << 20, 'x');

// Images whose pack is exactly the boot loader's 1 MiB buffer: five of
// 640 x 320, one of 100 x 50 and one of 52 x 49, each with its 16-byte record
// header and 8-byte directory entry, beside the 16860 bytes every pack of the
// sample holds (six directory entries, screen, palette, and the 200 x 40
// icon strip and OffIcons).
const std::string splashOfExactly1MiB = repeated("image \"a.png\" at 0 0 resized to 640 320\n", 5) +
                                        "image \"a.png\"\nimage \"a.png\" at 0 0 clipped to 52 49\n";

struct DescriptionFault {
    const char *name;
    std::string text;
    int status;
    std::string err; ///< for status 0: a text that must appear on standard output
    std::vector<std::string> options = {}; ///< before "-z zbeos -o out"
};

class DescriptionLimit : public Faults, public testing::WithParamInterface<DescriptionFault> {};

TEST_P(DescriptionLimit, EndsAsTheLanguageSays)
{
    const DescriptionFault &c = GetParam();
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-z", "zbeos", "-o", "out"});
    ToolRun result = run(c.text, args);
    EXPECT_EQ(result.status, c.status) << result.err;
    if (c.status == 0) {
        EXPECT_EQ(result.err, "");
        EXPECT_NE(result.out.find(c.err), std::string::npos) << result.out.substr(0, 2000);
        EXPECT_NE(readFile(path("out")), earlierOutput);
    } else {
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(readFile(path("out")), earlierOutput);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, DescriptionLimit,
    testing::Values(
        DescriptionFault{"NulInACommentIsPartOfIt", std::string("# a\0b\nimage \"a.png\"\n", 20), 0,
                         "loading a.png\n"},
        DescriptionFault{"NulAfterADefinition", std::string("image \"a.png\"\nscreen 640 480 8\0\n", 33), 1,
                         "\n\nSyntax error at line 2\n"},
        DescriptionFault{"NulWhereALineBegins", std::string("\n\nimage \"a.png\"\n\0image \"a.png\"\n", 31), 1,
                         "\n\nSyntax error at line 4\n"},
        DescriptionFault{"MegabyteComment", "#" + megabyte + "\nimage \"a.png\"\n", 0, "loading a.png\n"},
        DescriptionFault{"MegabyteFileName", "image \"" + megabyte + "\"\n", 1, "Error: LoadImage error -- \n"},
        DescriptionFault{"MegabyteNumberSaturates", "icons at " + std::string(1 << 20, '9') + " 0\n", 0,
                         "Building new zbeos (out)\n"},
        DescriptionFault{"MegabyteOfGarbage", "image \"a.png\" " + megabyte + "\n", 1, "\n\nSyntax error at line 1\n"},
        DescriptionFault{"LongestAcceptedList", repeated("\n", 9997), 0, "Building new zbeos (out)\n"},
        DescriptionFault{"NineThousandNineHundredNinetyNineDefinitions", repeated("icons at 1 2\n", 9999), 1,
                         "\n\nSyntax error at line 9995\n"},
        DescriptionFault{"ImagesFillingTheBootLoadersBufferExactly", splashOfExactly1MiB, 0,
                         "Building new zbeos (out)\n"},
        // The image lies wholly beyond the 640 x 480 corner that the default
        // palette is chosen from; the full palette counts its colours too.
        DescriptionFault{"FullPaletteOverAScreenBeyondTheCorner", "screen 1024 768 8\nimage \"a.png\" at 900 700\n",
                         0, "Selected 224 colors\n", {"-v", "--full-palette"}}),
    [](const testing::TestParamInfo<DescriptionFault> &info) { return std::string(info.param.name); });

// The boot loader inflates its splash into 1 MiB: three screens fit, and a
// file that holds more could not boot.
TEST_F(Faults, SplashThatFitsTheBootLoaderIsWrittenAndReadsAgain)
{
    writeFile(path("screen.bits"), shadedBitmapStream(640, 480));
    ToolRun result = run(repeated("image \"screen.bits\"\n", 3), {"-z", "zbeos", "-o", "out"});
    ASSERT_EQ(result.status, 0) << result.err;
    ToolRun again = run("\n", {"-z", "out", "-o", "again"});
    EXPECT_EQ(again.status, 0) << again.err;
}

TEST_F(Faults, SixtyFourScreenSizedImagesAreRefusedBeforeWriting)
{
    writeFile(path("screen.bits"), shadedBitmapStream(640, 480));
    ToolRun result = run(repeated("image \"screen.bits\"\n", 64), {"-v", "-z", "zbeos", "-o", "out"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Error: out -- new splash is larger than 1048576 bytes\n");
    EXPECT_NE(result.out.find("...  63) screen.bits\n"), std::string::npos);
    // The size is known from the images alone: no palette is chosen for a
    // splash that cannot be written.
    EXPECT_EQ(result.out.find("Selecting palette"), std::string::npos) << result.out;
    EXPECT_EQ(readFile(path("out")), earlierOutput);
}

// Whatever the output path names, nothing the run reads is overwritten and no
// node is replaced by a plain file.
struct OutputPath {
    const char *name;
    int (*make)(const std::string &dir); ///< makes what the path names; 0 when done
    const char *loader, *output;
    int status;
    std::string err;
    mode_t kindLeft;
    std::string description = "image \"a.png\"\n";
};

class OutputAt : public Faults, public testing::WithParamInterface<OutputPath> {};

TEST_P(OutputAt, KeepsEveryInputAndNode)
{
    const OutputPath &c = GetParam();
    if (c.make != nullptr && c.make(dir) != 0)
        GTEST_SKIP() << "the system refused the setup";
    const std::string image = readFile(path("a.png"));
    ToolRun result = run(c.description, {"-z", c.loader, "-o", c.output});
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_EQ(result.err, c.err);
    struct stat status;
    ASSERT_EQ(stat(c.output[0] == '/' ? c.output : path(c.output).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & S_IFMT, c.kindLeft);
    EXPECT_EQ(readFile(path("a.png")), image);
    EXPECT_EQ(readFile(path("d")), c.description);
}

const std::string isInput = " -- is an input of this run; it is never overwritten\n";
const std::string notRegular = "Error: o -- not a regular file\n";

INSTANTIATE_TEST_SUITE_P(
    Outputs, OutputAt,
    testing::Values(
        OutputPath{"DevNullIsADryRun", nullptr, "zbeos", "/dev/null", 0, "", S_IFCHR},
        OutputPath{"DeviceThroughASymlink",
                   [](const std::string &d) { return symlink("/dev/null", (d + "/o").c_str()); }, "zbeos", "o", 0, "",
                   S_IFCHR},
        OutputPath{"Description", nullptr, "zbeos", "d", 1, "Error: d" + isInput, S_IFREG},
        OutputPath{"Image", nullptr, "zbeos", "a.png", 1, "Error: a.png" + isInput, S_IFREG},
        OutputPath{"IconStrip", nullptr, "zbeos", "a.png", 1, "Error: a.png" + isInput, S_IFREG,
                   "icons \"a.png\" \"a.png\" at 0 0\n"},
        OutputPath{"ImageThroughASymlink", [](const std::string &d) { return symlink("a.png", (d + "/o").c_str()); },
                   "zbeos", "o", 1, "Error: o" + isInput, S_IFREG},
        OutputPath{"ImageThroughAHardLink",
                   [](const std::string &d) { return link((d + "/a.png").c_str(), (d + "/o").c_str()); }, "zbeos", "o",
                   1, "Error: o" + isInput, S_IFREG},
        // Read whole before the atomic save, the boot loader may be replaced.
        OutputPath{"InputBootLoader",
                   [](const std::string &d) { return link((d + "/zbeos").c_str(), (d + "/o").c_str()); }, "o", "o", 0,
                   "", S_IFREG},
        OutputPath{"Directory", [](const std::string &d) { return mkdir((d + "/o").c_str(), 0755); }, "zbeos", "o", 1,
                   notRegular, S_IFDIR},
        OutputPath{"BlockDevice",
                   [](const std::string &d) { return mknod((d + "/o").c_str(), S_IFBLK | 0600, makedev(7, 200)); },
                   "zbeos", "o", 1, notRegular, S_IFBLK},
        OutputPath{"Socket", [](const std::string &d) { return mknod((d + "/o").c_str(), S_IFSOCK | 0600, 0); },
                   "zbeos", "o", 1, notRegular, S_IFSOCK}),
    [](const testing::TestParamInfo<OutputPath> &info) { return std::string(info.param.name); });

// With --backup nothing at the output path is lost: each file replaced is
// kept under a name no earlier backup has, the input boot loader too.
TEST_F(Faults, BackupKeepsEveryReplacedFile)
{
    writeFile(path("mine"), zbeosBytes);
    ToolRun first = run("image \"a.png\"\n", {"--backup", "-z", "mine", "-o", "out"});
    EXPECT_NE(first.out.find("\n... the file replaced is kept as out.old\n"), std::string::npos) << first.err;
    const std::string made = readFile(path("out"));
    ASSERT_EQ(run("\n", {"--backup", "-z", "mine", "-o", "out"}).status, 0);
    EXPECT_EQ(readFile(path("out.old")), earlierOutput);
    EXPECT_EQ(readFile(path("out.old.1")), made);
    ASSERT_EQ(run("\n", {"--backup", "-z", "mine", "-o", "mine"}).status, 0);
    EXPECT_EQ(readFile(path("mine.old")), zbeosBytes) << "the way back";
}

// Nothing at the output path, or a device there, leaves nothing to keep; a
// backup that cannot be named (here: a name one byte too long) replaces
// nothing.
TEST_F(Faults, BackupOnlyOfWhatIsThere)
{
    for (const std::string &output : {path("fresh"), std::string("/dev/null")}) {
        EXPECT_EQ(run("\n", {"--backup", "-z", "zbeos", "-o", output}).status, 0) << output;
        EXPECT_NE(access((output + ".old").c_str(), F_OK), 0) << output;
    }
    const std::string longest(NAME_MAX, 'z');
    writeFile(path(longest), earlierOutput);
    ToolRun result = run("\n", {"--backup", "-z", "zbeos", "-o", longest});
    EXPECT_EQ(result.err, "Error: " + longest + " -- cannot keep the file it replaces as " + longest +
                              ".old: File name too long\n");
    EXPECT_EQ(readFile(path(longest)), earlierOutput);
}

// A pipe takes the very bytes a file would get, and stays a pipe.
TEST_F(Faults, PipeAtTheOutputPathIsWrittenInto)
{
    ASSERT_EQ(run("image \"a.png\"\n", {"-z", "zbeos", "-o", "out"}).status, 0);
    ASSERT_EQ(mkfifo(path("p").c_str(), 0644), 0);
    std::string received;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        received = readFile(path("p"));
        done = true;
    });
    ToolRun result = run("image \"a.png\"\n", {"-z", "zbeos", "-o", "p"});
    // A run that never opened the pipe must not leave the reader waiting.
    while (!done) {
        close(open(path("p").c_str(), O_WRONLY | O_NONBLOCK));
        usleep(1000);
    }
    reader.join();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(received, readFile(path("out")));
    struct stat status;
    EXPECT_TRUE(lstat(path("p").c_str(), &status) == 0 && S_ISFIFO(status.st_mode));
}

} // namespace
