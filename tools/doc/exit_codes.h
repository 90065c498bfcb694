// tarnwick-doc's exit statuses.
#pragma once

namespace tarnwick {

constexpr int kDocDone = 0;
constexpr int kDocFound = 1;     // check found problems
constexpr int kDocBadInput = 2;  // bad arguments, or a file that could not be read or written

}  // namespace tarnwick
