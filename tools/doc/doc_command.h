// tarnwick-doc's command line, apart from the process: arguments in, text out.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/doc/exit_codes.h"

namespace tarnwick {

// Runs one command; `arguments` are UTF-8, without the program's name.
// Returns its exit status (exit_codes.h).
int RunDocCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace tarnwick
