#pragma once
#include <memory>
#include <mutex>
#include <string>

namespace tavelapp {

// A setting text that the main thread changes while workers read it (the
// action target): every read is a whole copy taken under its own lock.
class SharedText {
public:
    SharedText() : lock_(std::make_shared<std::mutex>()) {}
    SharedText(const wchar_t* text) : SharedText() { value_ = text; }
    SharedText(std::wstring text) : SharedText() { value_ = std::move(text); }
    SharedText(const SharedText& other) : SharedText() { value_ = other.get(); }
    SharedText& operator=(const SharedText& other) {
        if (this != &other) set(other.get());
        return *this;
    }
    SharedText& operator=(const std::wstring& text) {
        set(text);
        return *this;
    }
    SharedText& operator=(const wchar_t* text) {
        set(text);
        return *this;
    }

    std::wstring get() const {
        std::lock_guard<std::mutex> guard(*lock_);
        return value_;
    }
    void set(std::wstring text) {
        std::lock_guard<std::mutex> guard(*lock_);
        value_ = std::move(text);
    }
    operator std::wstring() const { return get(); }

    friend bool operator==(const SharedText& a, const std::wstring& b) { return a.get() == b; }
    friend bool operator==(const std::wstring& a, const SharedText& b) { return a == b.get(); }
    friend bool operator==(const SharedText& a, const wchar_t* b) { return a.get() == b; }
    friend bool operator==(const wchar_t* a, const SharedText& b) { return a == b.get(); }
    friend bool operator==(const SharedText& a, const SharedText& b) { return a.get() == b.get(); }
    friend bool operator!=(const SharedText& a, const std::wstring& b) { return !(a == b); }
    friend bool operator!=(const std::wstring& a, const SharedText& b) { return !(a == b); }
    friend bool operator!=(const SharedText& a, const wchar_t* b) { return !(a == b); }
    friend bool operator!=(const wchar_t* a, const SharedText& b) { return !(a == b); }

private:
    std::shared_ptr<std::mutex> lock_;  // shared_ptr keeps the type movable
    std::wstring value_;
};

}  // namespace tavelapp
