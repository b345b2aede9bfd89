#pragma once
#include <string>

namespace tavelapp {

// A line for a debugger (and for tests that watch the program from outside);
// nothing a user sees.
void trace(const std::string& line);

}  // namespace tavelapp
