#include "driver/run.h"

#include "language/parseDescription.h"

int runDescriptionPhase(FILE *input, splashDescription_t *description)
{
    // A description without a screen line keeps these.
    description->screenWidth = 640;
    description->screenHeight = 480;
    description->screenDepth = 16;
    descriptionResult_t result = parseDescription(input, description);
    if (result.status == descriptionStatus_t::accepted)
        return 0;
    fputs(descriptionFailureText(result).c_str(), stderr);
    // A description that cannot be read ends the run apart from one that
    // says something wrong.
    return result.status == descriptionStatus_t::scannerFailed ? 2 : 1;
}
