#include "studio/accessToken.h"

#include <cerrno>
#include <cstdint>
#include <sys/random.h>

#include "diagnostics/errors.h"

std::string newAccessToken()
{
    uint8_t bytes[16];
    size_t filled = 0;
    while (filled < sizeof bytes) {
        const ssize_t count = getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            throw dawnmarkError_t("getrandom", "no random bytes for the access token");
        filled += size_t(count);
    }
    static const char digits[] = "0123456789abcdef";
    std::string token;
    for (uint8_t byte : bytes)
        token += {digits[byte >> 4], digits[byte & 15]};
    return token;
}

bool sameToken(const std::string &offered, const std::string &token)
{
    // The length is no secret: every token has 32 digits.
    if (offered.size() != token.size())
        return false;
    unsigned char difference = 0;
    for (size_t i = 0; i < token.size(); ++i)
        difference |= static_cast<unsigned char>(offered[i] ^ token[i]);
    return difference == 0;
}
