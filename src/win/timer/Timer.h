#pragma once

namespace tavel {
namespace win {
namespace timer {

// Periodic timer whose ticks arrive on the thread that created the first timer
// (the main thread), so every onTimer runs there without locks. All timers share
// one hidden window; ids come from a process-wide counter and are never reused.
class Timer {
public:
    class Listener {
    public:
        virtual void onTimer(Timer& timer) = 0;

    protected:
        ~Listener() = default;
    };

    Timer();
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    int id() const { return id_; }
    Listener* listener() const { return listener_; }
    void setListener(Listener* listener) { listener_ = listener; }

    // (Re)starts the period. From another thread the request is handed to the
    // timer window's thread, which then also makes the fire-now call. False
    // when the timer cannot run (no timer window, or the system refused it).
    [[nodiscard]] bool start(unsigned int intervalMs, bool fireNow = false);
    void stop();

private:
    int id_;
    Listener* listener_ = nullptr;
};

}  // namespace timer
}  // namespace win
}  // namespace tavel
