#pragma once
#include <unknwn.h>

#include <utility>

namespace tavel {
namespace win {
namespace util {

// Owns one COM reference.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes an added reference over (as COM out-parameters hand them).
    static ComPtr attach(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    // Adds a reference of its own.
    explicit ComPtr(T* p) : p_(p) {
        if (p_ != nullptr) p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    void reset() {
        if (p_ != nullptr) std::exchange(p_, nullptr)->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held first.
    T** put() {
        reset();
        return &p_;
    }
    template <typename U>
    ComPtr<U> as(REFIID iid) const {
        ComPtr<U> result;
        if (p_ != nullptr) p_->QueryInterface(iid, reinterpret_cast<void**>(result.put()));
        return result;
    }

private:
    T* p_ = nullptr;
};

}  // namespace util
}  // namespace win
}  // namespace tavel
