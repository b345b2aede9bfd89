#include "notify/ChangeDetector.h"

namespace tavelapp {

// No message loop to gather on: the detection runs at once.
void ChangeDetector::requestSoon() { detectChanges(); }

}  // namespace tavelapp
