#include "diagnostics/lastResort.h"
#include "driver/run.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char **argv)
{
#ifdef __GLIBC__
    // Large buffers (images, files, tables) come and go during a run. By
    // default the allocator raises its threshold for mapping them to the
    // largest one freed so far, and later buffers of that size then stay
    // in its heaps after they are freed: a fixed threshold gives each one
    // back at once, which keeps the run's peak memory close to what it
    // holds.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    return runWithLastResort(runDawnmark, argc, argv, 1);
}
