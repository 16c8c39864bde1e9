// The one byte-buffer type of the tests: file contents, streams and records
// under construction.
#pragma once

#include <cstdint>
#include <vector>

/// Bytes of a file, a stream or a record, in order.
using bytes_t = std::vector<uint8_t>;
