#pragma once
#include <cstdint>
#include <exception>
#include <string>

namespace tavel {
namespace win {
namespace util {

// The one place that swallows exceptions. Used where nothing may pass: the
// procedures the system calls (window, dialog, timer and enumeration
// procedures, property-sheet callbacks, COM methods, the delay-load helper),
// thread entries, and steps whose failure must not stop the next one. What it
// swallows is traced for a debugger ("Kolibrix: <where>: <what>", readable
// under Wine with WINEDEBUG=+debugstr) and counted.

// Notes the exception being handled; call only inside a catch block.
void noteSwallowed(const char* where) noexcept;
// How many exceptions the guards have swallowed since the program started.
std::uint64_t swallowedCount() noexcept;

// Turns an exception of a higher layer into its text (its message key); it
// throws the exception on when it is not one of its own.
using ExceptionText = std::string (*)(const std::exception_ptr& error);
void setExceptionText(ExceptionText text) noexcept;

// Runs `body`; when it throws, notes it and `fallback` answers instead.
template <typename Body, typename Fallback>
auto guarded(const char* where, Body&& body, Fallback&& fallback) noexcept -> decltype(body()) {
    try {
        return body();
    } catch (...) {
        noteSwallowed(where);
        return fallback();
    }
}

// The same with a fixed answer on failure.
template <typename Result, typename Body>
Result guardedOr(const char* where, Result onFailure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        noteSwallowed(where);
        return onFailure;
    }
}

// The same for a body that answers nothing.
template <typename Body>
void guarded(const char* where, Body&& body) noexcept {
    try {
        body();
    } catch (...) {
        noteSwallowed(where);
    }
}

}  // namespace util
}  // namespace win
}  // namespace tavel
