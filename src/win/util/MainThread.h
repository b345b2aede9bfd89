#pragma once
#include <functional>

namespace tavel {
namespace win {
namespace util {

// The one way for any thread to reach the main (user-interface) thread: work
// handed to post() runs there, in order, from the message loop. Windows, the
// tray icon, dialogs and plug-in calls belong to that thread alone.
class MainThread {
public:
    using Task = std::function<void()>;

    // Makes the calling thread the main thread (its hidden window receives the
    // work). Called once at start, before any worker exists.
    static void attach();
    // Drops work that never ran (without running it); later posts fail and
    // drop their work. The thread still counts as the main thread.
    static void detach();

    // True on the main thread, and everywhere while none is attached (a
    // program part used without the message loop, as in native tests).
    static bool isCurrent();
    // Queues the task for the main thread; false (and the task dropped) when it
    // cannot be delivered. Without a main thread the task runs at once.
    [[nodiscard]] static bool post(Task task);
    // Runs at once on the main thread, else posts.
    [[nodiscard]] static bool run(Task task);

    // Something that belongs to the main thread was used from another one.
    // Counted (and reported to a debugger), so tests can tell it never happens.
    static void check(const char* where);
    static long violations();
};

}  // namespace util
}  // namespace win
}  // namespace tavel
