#include "app/ShellExecuteThread.h"

namespace tavelapp {

// There is no shell to ask off Windows.
int ShellExecuteThread::run() { return 0; }

}  // namespace tavelapp
