#include "diagnostics/errors.h"

#include <cstdio>

namespace {

// Only null pointers count as missing: an empty reason still gets the
// "-- " separator, so such a line ends in "-- ".
void reportPair(const char *subject, const char *reason)
{
    if (reason == nullptr)
        fprintf(stderr, "Error: %s\n", subject);
    else
        fprintf(stderr, "Error: %s -- %s\n", subject, reason);
}

} // namespace

void cagada_t::report() const
{
    if (subject == nullptr) {
        fprintf(stderr, "Unknown error\n");
        return;
    }
    reportPair(subject, reason);
}

void imgtoolsError_t::report() const
{
    reportPair(subject != nullptr ? subject : "(null)", reason);
}
