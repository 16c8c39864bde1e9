#include "diagnostics/lastResort.h"
#include "driver/run.h"

int main(int argc, char **argv)
{
    return runWithLastResort(runDawnmark, argc, argv, 1);
}
