// Token codes shared by the scanner and the parser, and the parser itself;
// the parser generator writes them into z_syn.hpp.
#pragma once

#include "z_syn.hpp"
