#include "saveFailure_support.h"

#include <cstdio>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

#include "diagnostics/errors.h"
#include "support/files.h"

void SaveFailure::SetUp() { writeFile(output.Path("newZbeos"), precious); }

void SaveFailure::ExpectOutputUntouched()
{
    EXPECT_EQ(output.Entries(), std::vector<std::string>{"newZbeos"});
    EXPECT_EQ(readBytes(output.Path("newZbeos")), precious);
}

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

int saveRefused(const std::function<void(const char *path)> &save, const std::string &path,
                const char *reason)
{
    try {
        save(path.c_str());
    } catch (const dawnmarkError_t &error) {
        if (error.subject != path)
            return 2;
        return error.reason == reason ? 0 : 3;
    }
    return 1;
}
