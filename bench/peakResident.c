/* Runs a command and writes to a file the most memory it held resident, in
 * KiB; exits with the command's status. The figure the kernel keeps for a
 * process also counts the memory of the process it was started from, up to
 * its exec: started from this small one, the figure is the command's own. */
#include <stdio.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: peak-resident FIGURE-FILE COMMAND [ARGUMENT...]\n");
        return 2;
    }
    const pid_t pid = fork();
    if (pid < 0)
        return 2;
    if (pid == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (wait4(pid, &status, 0, &usage) != pid)
        return 2;
    FILE *figure = fopen(argv[1], "w");
    if (figure == NULL)
        return 2;
    fprintf(figure, "%ld\n", usage.ru_maxrss);
    fclose(figure);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}
