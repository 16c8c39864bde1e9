#include "support/runTool.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void drain(int outFd, int errFd, std::string &out, std::string &err)
{
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    int open = 2;
    char buffer[65536];
    while (open > 0) {
        if (poll(fds, 2, -1) < 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? out : err).append(buffer, n);
            }
        }
    }
}

} // namespace

ToolRun runTool(const std::string &program, const std::vector<std::string> &args, const std::string &cwd)
{
    return runTool(program, args, cwd, RunHooks{});
}

ToolRun runTool(const std::string &program, const std::vector<std::string> &args, const std::string &cwd,
                const RunHooks &hooks)
{
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
        abort();
    pid_t child = fork();
    if (child == 0) {
        int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0)
            _exit(126);
        if (hooks.inChild)
            hooks.inChild();
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(program.c_str()));
        for (const std::string &arg : args)
            argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    if (hooks.whileRunning)
        hooks.whileRunning();
    ToolRun run;
    drain(outPipe[0], errPipe[0], run.out, run.err);
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

ToolRun runDawnmark(const std::vector<std::string> &args, const std::string &cwd)
{
    return runTool(DAWNMARK_BIN, args, cwd);
}

ToolRun runInspector(const std::vector<std::string> &args, const std::string &cwd)
{
    return runTool(DAWNMARK_INSPECT_BIN, args, cwd);
}

std::string bannerOf(const std::string &out)
{
    // An empty line, the name line, then the stamp line and an empty line.
    size_t stampEnd = out.find(" --\n\n");
    return stampEnd == std::string::npos ? std::string() : out.substr(0, stampEnd + 5);
}
