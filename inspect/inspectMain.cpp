// Dawnmark-inspect: checks a boot loader file and shows, extracts and
// previews the boot splash inside it.
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>

#include "inspect/inspectCommand.h"

int main(int argc, char **argv)
{
    // Beyond a file size limit a write fails like one on a full disk, so a
    // half-written PNG is removed and reported rather than left behind.
    signal(SIGXFSZ, SIG_IGN);
    try {
        return runInspect(argc, argv);
    } catch (const std::bad_alloc &) {
        fflush(stdout);
        fprintf(stderr, "Error: out of memory\n");
    } catch (const std::exception &error) {
        fflush(stdout);
        fprintf(stderr, "Error: %s\n", error.what());
    }
    return inspectDamaged;
}
