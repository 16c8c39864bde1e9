#include "diagnostics/errors.h"

#include <cstdio>
#include <utility>

namespace {

errorText_t copied(const char *text)
{
    if (text == nullptr)
        return std::nullopt;
    return std::string(text);
}

// Only a missing reason drops the "-- " separator: an empty one keeps it,
// so such a line ends in "-- ".
void reportPair(const char *subject, const errorText_t &reason)
{
    if (!reason)
        fprintf(stderr, "Error: %s\n", subject);
    else
        fprintf(stderr, "Error: %s -- %s\n", subject, reason->c_str());
}

} // namespace

cagada_t::cagada_t(const char *subject, const char *reason)
    : subject(copied(subject)), reason(copied(reason))
{
}

cagada_t::cagada_t(std::string subject, std::string reason)
    : subject(std::move(subject)), reason(std::move(reason))
{
}

void cagada_t::report() const
{
    if (!subject) {
        fprintf(stderr, "Unknown error\n");
        return;
    }
    reportPair(subject->c_str(), reason);
}

imgtoolsError_t::imgtoolsError_t(const char *subject, const char *reason)
    : subject(copied(subject)), reason(copied(reason))
{
}

void imgtoolsError_t::report() const
{
    reportPair(subject ? subject->c_str() : "(null)", reason);
}
