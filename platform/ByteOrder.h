// Stand-in for the byte-order conversion of typed data.
#pragma once

#include "platform/SupportDefs.h"

/// Type codes understood by swap_data.
enum : type_code {
    B_INT32_TYPE = fourCharCode("LONG"),
    B_UINT32_TYPE = fourCharCode("ULNG"),
    B_RECT_TYPE = fourCharCode("RECT"),
};

enum swap_action {
    B_SWAP_HOST_TO_BENDIAN,
    B_SWAP_BENDIAN_TO_HOST,
    B_SWAP_ALWAYS,
};

/// Converts `length` bytes of `data`, an array of values of `type`, in place.
/// Every supported type is made of 32-bit units; returns B_BAD_VALUE for
/// other types or a length that is not a whole number of units.
status_t swap_data(type_code type, void *data, size_t length, swap_action action);
