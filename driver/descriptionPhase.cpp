#include "driver/run.h"

#include "diagnostics/traceMsg.h"
#include "diagnostics/traceStep.h"
#include "language/parseDescription.h"

void presetDescriptionScreen(splashDescription_t *description)
{
    // A description without a screen line keeps these.
    description->setScreen(kDefaultScreen);
}

int runDescriptionPhase(FILE *input, splashDescription_t *description)
{
    presetDescriptionScreen(description);
    descriptionResult_t result = parseDescription(input, description);
    if (result.status == descriptionStatus_t::accepted)
        return 0;
    // The reason is a level-1 trace; once shown, it goes out before the
    // error line also into a file that takes both streams. Without it the
    // streams interleave as they always did.
    if (!result.reason.empty() && TRACE_shows(1)) {
        traceStep_t step;
        TRACE(1, "%s\n", result.reason.c_str());
        fflush(stdout);
    }
    fputs(descriptionFailureText(result).c_str(), stderr);
    // A description that cannot be read ends the run apart from one that
    // says something wrong.
    return result.status == descriptionStatus_t::scannerFailed ? 2 : 1;
}
