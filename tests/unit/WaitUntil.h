#pragma once
#include <chrono>
#include <thread>

// Polls until the condition holds, for a bounded time: a fault that keeps it
// false fails the test that waits instead of hanging the whole run.
template <class Condition>
bool waitUntil(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
