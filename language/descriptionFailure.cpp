#include "language/descriptionFailure.h"

#include <cstdio>
#include <cstdlib>

static descriptionFailureHook_t failureHook = nullptr;

void setDescriptionFailureHook(descriptionFailureHook_t hook) { failureHook = hook; }

void failDescription(int status)
{
    if (failureHook != nullptr)
        failureHook(status);
    exit(status);
}
