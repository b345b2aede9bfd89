#include <windows.h>

#include "base/Trace.h"

namespace tavelapp {

void trace(const std::string& line) { ::OutputDebugStringA((line + "\n").c_str()); }

}  // namespace tavelapp
