#include "driver/run.h"

void runDescriptionPhase(FILE *input, splashDescription_t *description)
{
    yyin = input;
    // A description without a screen line keeps these.
    description->screenWidth = 640;
    description->screenHeight = 480;
    description->screenDepth = 16;
    // Every failure ends the process inside the parser, so a return means the
    // record is complete.
    yyparse(description);
}
