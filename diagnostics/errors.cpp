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

} // namespace

dawnmarkError_t::dawnmarkError_t(const char *subject, const char *reason)
    : subject(copied(subject)), reason(copied(reason))
{
}

dawnmarkError_t::dawnmarkError_t(std::string subject, std::string reason)
    : subject(std::move(subject)), reason(std::move(reason))
{
}

void dawnmarkError_t::report() const
{
    if (!subject) {
        fprintf(stderr, "Unknown error\n");
        return;
    }
    // Only a missing reason drops the "-- " separator: an empty one keeps it,
    // so such a line ends in "-- ".
    if (!reason)
        fprintf(stderr, "Error: %s\n", subject->c_str());
    else
        fprintf(stderr, "Error: %s -- %s\n", subject->c_str(), reason->c_str());
}
