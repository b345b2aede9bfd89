#pragma once
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "base/Thread.h"

namespace tavelapp {

// Keeps started threads alive until they end, so a starter may forget them.
class RunningThreads {
public:
    RunningThreads() = default;
    RunningThreads(const RunningThreads&) = delete;
    RunningThreads& operator=(const RunningThreads&) = delete;
    ~RunningThreads();

    // Drops every finished entry, then appends the thread (the caller starts it).
    void add(const std::shared_ptr<Thread>& thread);
    // add() and start() in one step.
    void start(const std::shared_ptr<Thread>& thread);
    // Waits for every listed thread (also ones added meanwhile) and empties the list.
    void waitAll();
    // The same, but gives up after ms (threads that do not end are left
    // running and listed); true when every thread ended.
    bool waitAllFor(unsigned int ms);
    std::size_t size() const;

private:
    mutable std::mutex lock_;
    std::vector<std::shared_ptr<Thread>> threads_;
};

// The process-wide list. Several threads add to it, hence its own lock.
RunningThreads& runningThreads();

}  // namespace tavelapp
