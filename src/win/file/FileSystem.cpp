#include "win/file/FileSystem.h"

#include <mutex>

namespace tavel {
namespace win {
namespace file {
namespace {

std::mutex hookLock;
std::function<bool(SaveStep)>& faultHook() {
    static std::function<bool(SaveStep)> hook;
    return hook;
}

std::function<bool(CopyStep)>& copyHook() {
    static std::function<bool(CopyStep)> hook;
    return hook;
}

wchar_t asciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

void setSaveFaultHook(std::function<bool(SaveStep)> hook) {
    std::lock_guard<std::mutex> guard(hookLock);
    faultHook() = std::move(hook);
}

void setCopyFaultHook(std::function<bool(CopyStep)> hook) {
    std::lock_guard<std::mutex> guard(hookLock);
    copyHook() = std::move(hook);
}

namespace detail {
bool saveStepAllowed(SaveStep step) {
    std::function<bool(SaveStep)> hook;
    {
        std::lock_guard<std::mutex> guard(hookLock);
        hook = faultHook();
    }
    return !hook || hook(step);
}
bool copyStepAllowed(CopyStep step) {
    std::function<bool(CopyStep)> hook;
    {
        std::lock_guard<std::mutex> guard(hookLock);
        hook = copyHook();
    }
    return !hook || hook(step);
}
}  // namespace detail

bool matchesWildcard(const std::wstring& name, const std::wstring& pattern) {
    if (pattern == L"*.*") return true;
    // Iterative match with backtracking to the last '*': linear memory, no recursion.
    std::size_t n = 0, p = 0;
    std::size_t starP = std::wstring::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || asciiLower(pattern[p]) == asciiLower(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::wstring::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

}  // namespace file
}  // namespace win
}  // namespace tavel
