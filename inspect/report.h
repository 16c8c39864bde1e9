// The text that Dawnmark-inspect prints about a boot loader file.
#pragma once

#include <string>

#include "inspect/inspection.h"

/// The report: sections, splash header and trailer, screen record, palette
/// use and the directory, one line each, ending with a line end.
std::string formatReport(const inspection_t &inspection);
