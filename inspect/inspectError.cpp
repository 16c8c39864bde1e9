#include "inspect/inspectError.h"

#include <cstdio>

void inspectError_t::report() const
{
    fprintf(stderr, "Error: %s -- %s\n", subject.c_str(), reason.c_str());
}
