#pragma once

namespace tavel {
namespace win {
namespace util {

// The body of a procedure that the system calls (window, dialog, timer and
// enumeration procedures, property-sheet callbacks): an exception must not
// unwind through the system's frames, so one that escapes `body` is dropped
// and `fallback` answers instead.
template <typename Body, typename Fallback>
auto guardCallback(Body&& body, Fallback&& fallback) noexcept -> decltype(body()) {
    try {
        return body();
    } catch (...) {
        return fallback();
    }
}

// The same with a fixed answer on failure.
template <typename Result, typename Body>
Result guardCallbackOr(Result onFailure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

}  // namespace util
}  // namespace win
}  // namespace tavel
