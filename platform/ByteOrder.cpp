#include "platform/ByteOrder.h"

#include <cstring>
#include <utility>

namespace {

bool hostIsBigEndian()
{
    const uint16_t probe = 1;
    uint8_t first;
    std::memcpy(&first, &probe, 1);
    return first == 0;
}

bool actionSwaps(swap_action action)
{
    switch (action) {
    case B_SWAP_ALWAYS:
        return true;
    case B_SWAP_HOST_TO_BENDIAN:
    case B_SWAP_BENDIAN_TO_HOST:
        return !hostIsBigEndian();
    }
    return false;
}

} // namespace

status_t swap_data(type_code type, void *data, size_t length, swap_action action)
{
    switch (type) {
    case B_INT32_TYPE:
    case B_UINT32_TYPE:
    case B_RECT_TYPE:
        break;
    default:
        return B_BAD_VALUE;
    }
    if (length % 4 != 0 || (length > 0 && data == nullptr))
        return B_BAD_VALUE;
    if (!actionSwaps(action))
        return B_OK;
    auto *bytes = static_cast<uint8_t *>(data);
    for (size_t i = 0; i < length; i += 4) {
        std::swap(bytes[i], bytes[i + 3]);
        std::swap(bytes[i + 1], bytes[i + 2]);
    }
    return B_OK;
}
