#include "driver/run.h"
#include "diagnostics/traceMsg.h"

void printBanner()
{
    TRACE(0, "%s", "\n");
    TRACE(0, "%s", "Dawnmark v" DAWNMARK_VERSION "\n");
    // __DATE__ and __TIME__ follow SOURCE_DATE_EPOCH when it is set, so a
    // reproducible build gets a reproducible stamp.
    TRACE(0, "%s", "-- " __DATE__ " " __TIME__ " --\n\n");
}
