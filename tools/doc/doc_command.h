// tarnwick-doc's command line, apart from the process: arguments in, text out.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tarnwick {

// Exit statuses.
constexpr int kDocDone = 0;
constexpr int kDocFound = 1;     // check found problems
constexpr int kDocBadInput = 2;  // bad arguments, or a file that could not be read

// Runs one command; `arguments` are UTF-8, without the program's name.
int RunDocCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace tarnwick
