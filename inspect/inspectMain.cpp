// Dawnmark-inspect: checks a boot loader file and shows, extracts and
// previews the boot splash inside it.
#include <cstdio>
#include <exception>
#include <new>

#include "inspect/inspectCommand.h"

int main(int argc, char **argv)
{
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
