#include "win/util/MainThread.h"

namespace tavel {
namespace win {
namespace util {

// No message loop off Windows: the portable core runs every task at once.
void MainThread::attach() {}
void MainThread::detach() {}
bool MainThread::isCurrent() { return true; }
bool MainThread::post(Task task) {
    if (task) task();
    return static_cast<bool>(task);
}
bool MainThread::run(Task task) { return post(std::move(task)); }
void MainThread::check(const char*) {}
long MainThread::violations() { return 0; }

}  // namespace util
}  // namespace win
}  // namespace tavel
