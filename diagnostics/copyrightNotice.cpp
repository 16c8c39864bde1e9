#include "diagnostics/copyrightNotice.h"

const char *const copyrightNotice = "Copyright (C) 2026 the Dawnmark authors.\n"
                                    "License: MIT (the LICENSE file that comes with Dawnmark).\n"
                                    "This is free software: you are free to change and redistribute it.\n"
                                    "There is NO WARRANTY, to the extent permitted by law.\n";
