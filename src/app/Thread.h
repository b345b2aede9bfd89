#pragma once
#include <atomic>
#include <thread>

namespace tavelapp {

// Base of every worker. begin, run and end run in that order on the new thread;
// the destructor waits for a started thread without time limit.
class Thread {
public:
    Thread() = default;
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    virtual ~Thread();

    // Starts the thread once; false when it was already started.
    bool start();
    void wait();
    bool started() const { return started_; }
    bool finished() const { return finished_.load(); }
    int exitCode() const { return exitCode_.load(); }
    std::thread::id id() const { return handle_.get_id(); }

protected:
    virtual void begin() {}
    virtual int run() = 0;
    virtual void end() {}

private:
    void procedure();

    std::thread handle_;
    bool started_ = false;
    std::atomic<bool> finished_{false};
    std::atomic<int> exitCode_{0};
};

}  // namespace tavelapp
