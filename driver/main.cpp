#include <cstdio>
#include <exception>
#include <new>

#include "driver/run.h"

// Failures the run does not handle itself (running out of memory above all)
// end with a one-line report and status 1 rather than an abort.
int main(int argc, char **argv)
{
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
