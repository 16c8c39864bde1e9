// The secret of one studio run: only a page opened from the address the
// program prints knows it.
#pragma once

#include <string>

/// 128 bits from the kernel's random source as 32 hex digits; throws
/// dawnmarkError_t when the source fails.
std::string newAccessToken();

/// Whether `offered` is `token`, in a time that does not depend on where
/// they first differ.
bool sameToken(const std::string &offered, const std::string &token);
