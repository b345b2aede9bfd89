#include "base/Trace.h"

namespace tavelapp {

void trace(const std::string&) {}

}  // namespace tavelapp
