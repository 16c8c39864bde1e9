#include "bootfile/safeSave.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ioFaults_support.h"
#include "saveFailure_support.h"
#include "support/files.h"
#include "support/readOnlyMount.h"
#include "support/traceCapture.h"
#include "tools/sampleZbeos.h"

namespace {

// A replacement made the way every caller makes one: the whole content, the
// flush that reads it back, then the commit.
void replaceWith(const char *path, const bytes_t &content, bool keepReplaced = false)
{
    safeFile_t file(path);
    file.Write(content.data(), content.size());
    file.Flush();
    file.Commit(keepReplaced);
}

class SafeSave : public SaveFailure {
protected:
    /// 0 when replacing path with content is refused with reason.
    int Refused(const std::string &path, const char *reason) const
    {
        return saveRefused([this](const char *to) { replaceWith(to, content); }, path, reason);
    }

    /// A boot loader file's worth of bytes: more than a page.
    const bytes_t content = makeSampleZbeos();
};

TEST_F(SafeSave, NewFileTakesTheUmask)
{
    mode_t saved = umask(027);
    replaceWith(output.Path("fresh").c_str(), content);
    umask(saved);
    struct stat status;
    ASSERT_EQ(stat(output.Path("fresh").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST_F(SafeSave, MissingDirectory)
{
    EXPECT_EQ(Refused(output.Path("missing/newZbeos"), "No such file or directory"), 0);
    ExpectOutputUntouched();
}

TEST_F(SafeSave, FileSizeLimitDuringTheWrite)
{
    int status = inChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        return Refused(output.Path("newZbeos"), strerror(EFBIG));
    });
    EXPECT_EQ(status, 0);
    ExpectOutputUntouched();
}

// Permission bits do not stop root, so root gets a read-only bind mount in a
// private mount namespace of a child, and anyone else a directory without
// write permission.
TEST_F(SafeSave, ReadOnlyDirectory)
{
    const std::string directory = output.path;
    const bool root = geteuid() == 0;
    int status = inChild([&] {
        if (root) {
            if (!mountReadOnlyInPrivateNamespace(directory))
                return 77;
            return Refused(directory + "/newZbeos", strerror(EROFS));
        }
        if (chmod(directory.c_str(), 0555) != 0)
            return 11;
        return Refused(directory + "/newZbeos", strerror(EACCES));
    });
    chmod(directory.c_str(), 0700);
    if (status == 77)
        GTEST_SKIP() << "cannot mount a directory read-only for root here (no mount namespace, "
                        "or / is not a mount point)";
    EXPECT_EQ(status, 0);
    ExpectOutputUntouched();
}

// The file reaches the disk before it takes the name, and the name reaches
// the disk before Commit returns.
TEST_F(SafeSave, FileThenNameAreFlushed)
{
    ioFaultsScope_t faults;
    replaceWith(output.Path("newZbeos").c_str(), content);
    EXPECT_EQ(ioFaults.events, (std::vector<std::string>{"fsync file", "rename", "fsync directory"}));
    EXPECT_NE(readBytes(output.Path("newZbeos")), precious);
}

// The kept file takes its second name before the new one takes the first:
// at no moment is it absent.
TEST_F(SafeSave, ReplacedFileIsKeptBeforeTheRename)
{
    ioFaultsScope_t faults;
    traceCapture_t quiet;
    replaceWith(output.Path("newZbeos").c_str(), content, true);
    EXPECT_EQ(ioFaults.events, (std::vector<std::string>{"fsync file", "link", "rename", "fsync directory"}));
    EXPECT_EQ(readBytes(output.Path("newZbeos.old")), precious);
}

} // namespace
