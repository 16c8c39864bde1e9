#include "diagnostics/lastResort.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <new>

int runWithLastResort(int (*body)(int, char **), int argc, char **argv, int failureStatus)
{
    signal(SIGXFSZ, SIG_IGN);
    try {
        return body(argc, argv);
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
    return failureStatus;
}
