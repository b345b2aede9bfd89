#include "win/util/CallbackGuard.h"

#include <atomic>

namespace tavel {
namespace win {
namespace util {

// The debugger's line; nothing off Windows.
void traceSwallowed(const std::string& line) noexcept;

namespace {

std::atomic<std::uint64_t> swallowed{0};
std::atomic<ExceptionText> higherText{nullptr};

std::string textOf(const std::exception_ptr& error) {
    try {
        if (const ExceptionText text = higherText.load()) return text(error);
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an exception of no known type";
    }
}

}  // namespace

void noteSwallowed(const char* where) noexcept {
    ++swallowed;
    try {
        traceSwallowed(std::string("Kolibrix: ") + (where != nullptr ? where : "?") + ": " +
                       textOf(std::current_exception()) + "\n");
    } catch (...) {
        // No memory for the line: the count still tells.
    }
}

std::uint64_t swallowedCount() noexcept { return swallowed.load(); }

void setExceptionText(ExceptionText text) noexcept { higherText = text; }

}  // namespace util
}  // namespace win
}  // namespace tavel
