#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "fixtures/imageFiles.h"
#include "platform/File.h"
#include "platform/TranslatorRoster.h"
#include "support/scratch.h"

namespace {

bytes_t text(const char *content)
{
    return bytes_t(content, content + std::strlen(content));
}

// What the roster says of files no decoder takes.
TEST(TranslatorRoster, UnknownFilesWriteNothing)
{
    const struct {
        const char *name;
        bytes_t file;
        const char *reason;
    } cases[] = {
        {"empty", {}, "the file is empty"},
        {"text", text("not an image at all\n"), "unknown file format"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const translated_t result = translateBytes(c.file);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.streamLength, 0u);
        EXPECT_NE(result.reason.find(c.reason), std::string::npos) << result.reason;
    }
}

TEST(TranslatorRoster, BitmapStreamsPassUnchanged)
{
    bytes_t stream = text("bits and whatever follows, judged by the loader");
    const translated_t result = translateBytes(stream);
    // The stream is the file itself, header and all.
    EXPECT_EQ(result.streamLength, stream.size());
}

status_t translatePath(const std::string &path, size_t *written)
{
    BFile file(path.c_str(), B_READ_ONLY);
    BMallocIO destination;
    BTranslatorRoster *roster = BTranslatorRoster::Default();
    const status_t status =
        roster->Translate(&file, nullptr, nullptr, &destination, B_TRANSLATOR_BITMAP, 0, nullptr);
    delete roster;
    *written = destination.BufferLength();
    return status;
}

TEST(TranslatorRoster, UnusableSourcesWriteNothing)
{
    const std::string directory = scratchDirectory();
    const std::string empty = writeScratchFile("empty.png", {});
    const struct {
        const char *name;
        std::string path;
    } cases[] = {
        {"missing", directory + "/no such file.png"},
        {"directory", directory},
        {"empty", empty},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        size_t written = 1;
        EXPECT_NE(translatePath(c.path, &written), B_OK);
        EXPECT_EQ(written, 0u);
    }
}

TEST(TranslatorRoster, UnreadableFileWritesNothing)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    const std::string path = writeScratchFile("locked.png", encodePng(colourfulImage(2, 2), false));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    size_t written = 1;
    EXPECT_NE(translatePath(path, &written), B_OK);
    EXPECT_EQ(written, 0u);
}

TEST(TranslatorRoster, FilesAreRecognisedByContentNotName)
{
    const rgbaImage_t image = colourfulImage(3, 2);
    const std::string path = writeScratchFile("really-a-bmp.png", encodeBmp(image));
    BFile file(path.c_str(), B_READ_ONLY);
    BMallocIO destination;
    BTranslatorRoster *roster = BTranslatorRoster::Default();
    EXPECT_EQ(roster->Translate(&file, nullptr, nullptr, &destination, B_TRANSLATOR_BITMAP, 0, nullptr),
              B_OK);
    delete roster;
    EXPECT_EQ(destination.BufferLength(), kBitmapStreamHeaderSize + 3 * 2 * 4);
}

} // namespace
