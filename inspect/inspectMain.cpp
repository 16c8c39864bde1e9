// Dawnmark-inspect: checks a boot loader file and shows, extracts and
// previews the boot splash inside it.
#include "diagnostics/lastResort.h"
#include "inspect/inspectCommand.h"

int main(int argc, char **argv)
{
    return runWithLastResort(runInspect, argc, argv, inspectDamaged);
}
