#include <csignal>
#include <cstdio>
#include <exception>
#include <new>

#include "driver/run.h"

// Failures the run does not handle itself (running out of memory above all)
// end with a one-line report and status 1 rather than an abort.
int main(int argc, char **argv)
{
    // Beyond a file size limit a write is to fail like one on a full disk,
    // so that the half-written temporary file is removed and reported, not
    // left behind by a killed process.
    signal(SIGXFSZ, SIG_IGN);
    try {
        return runDawnmark(argc, argv);
    } catch (const std::bad_alloc &) {
        fflush(stdout);
        fprintf(stderr, "Error: out of memory\n");
    } catch (const std::exception &error) {
        fflush(stdout);
        fprintf(stderr, "Error: %s\n", error.what());
    } catch (...) {
        fflush(stdout);
        fprintf(stderr, "Error: unexpected failure\n");
    }
    return 1;
}
