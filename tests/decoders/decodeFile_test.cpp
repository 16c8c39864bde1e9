#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "decoderChecks_support.h"
#include "support/scratch.h"

namespace {

bytes_t text(const char *content)
{
    return bytes_t(content, content + std::strlen(content));
}

// Files that give no pixels: the step that refused each, and why.
TEST(DecodeFile, RefusalsNameTheirStepAndReason)
{
    const std::string directory = scratchDirectory();
    const std::string fifo = directory + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        const char *name;
        std::string path;
        refusedBy_t step;
        const char *reason;
    } cases[] = {
        {"missing", directory + "/no such file.png", refusedBy_t::opening, "No such file or directory"},
        {"directory", directory, refusedBy_t::opening, "Is a directory"},
        {"device", "/dev/null", refusedBy_t::opening, "not a regular file"},
        // Refused without waiting for a writer.
        {"FIFO", fifo, refusedBy_t::opening, "not a regular file"},
        {"empty", writeScratchFile("empty.png", {}), refusedBy_t::decoding, "the file is empty"},
        {"text", writeScratchFile("text.png", text("not an image at all\n")), refusedBy_t::decoding,
         "unknown file format"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const decodedFile_t file = decodeFile(c.path.c_str());
        EXPECT_EQ(file.refusedBy, c.step);
        EXPECT_EQ(file.reason, c.reason);
        EXPECT_FALSE(file.header);
        EXPECT_TRUE(file.bitmap.pixels.empty());
    }
}

TEST(DecodeFile, UnreadableFileIsNotOpened)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    const std::string path = writeScratchFile("locked.png", encodePng(colourfulImage(2, 2), false));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    const decodedFile_t file = decodeFile(path.c_str());
    EXPECT_EQ(file.refusedBy, refusedBy_t::opening);
    EXPECT_EQ(file.reason, "Permission denied");
}

TEST(DecodeFile, FilesAreRecognisedByContentNotName)
{
    const rgbaImage_t image = colourfulImage(3, 2);
    const decodedFile_t file = decodeFile(writeScratchFile("really-a-bmp.png", encodeBmp(image)).c_str());
    expectBitmap(file, 3, 2, kColorsRgb32);
    EXPECT_EQ(file.bitmap.pixels, toBgra(image, false));
}

} // namespace
