#pragma once
#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace tavel {
namespace win {
namespace util {

// Move-only owner of one system handle; Kind names the handle type and how it
// is given back. Copies are deleted, so a handle is closed exactly once.
template <typename Kind>
class UniqueHandle {
public:
    using Type = typename Kind::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type h) : h_(Kind::adopt(h)) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(std::exchange(other.h_, nullptr));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Type get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    // Hands the handle over (to the system, a menu that takes a submenu, ...).
    Type release() { return std::exchange(h_, nullptr); }
    void reset(Type h = nullptr) {
        if (h_ != nullptr) Kind::close(h_);
        h_ = Kind::adopt(h);
    }
    // For functions that return a new handle through an out parameter.
    Type* receive() {
        reset();
        return &h_;
    }

private:
    Type h_ = nullptr;
};

namespace handle_kinds {

template <typename T>
struct Plain {
    using Type = T;
    static T adopt(T h) { return h; }
};
struct Kernel : Plain<HANDLE> {
    // CreateFile and its kin fail with INVALID_HANDLE_VALUE, the rest with null.
    static HANDLE adopt(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};
struct RegKey : Plain<HKEY> {
    static void close(HKEY h) { ::RegCloseKey(h); }
};
struct Menu : Plain<HMENU> {
    static void close(HMENU h) { ::DestroyMenu(h); }
};
struct Icon : Plain<HICON> {
    static void close(HICON h) { ::DestroyIcon(h); }
};
struct Module : Plain<HMODULE> {
    static void close(HMODULE h) { ::FreeLibrary(h); }
};
template <typename T>
struct Gdi : Plain<T> {
    static void close(T h) { ::DeleteObject(h); }
};
struct ImageList : Plain<HIMAGELIST> {
    static void close(HIMAGELIST h) { ::ImageList_Destroy(h); }
};
// WinINet's HINTERNET is a void pointer; wininet.h stays out of this header
// (it cannot share a file with winhttp.h).
struct Internet : Plain<void*> {
    static void close(void* h);
};

}  // namespace handle_kinds

// A kernel object closed with CloseHandle.
using Handle = UniqueHandle<handle_kinds::Kernel>;
using RegKey = UniqueHandle<handle_kinds::RegKey>;
using Menu = UniqueHandle<handle_kinds::Menu>;
using Icon = UniqueHandle<handle_kinds::Icon>;
// A library loaded with LoadLibrary.
using Module = UniqueHandle<handle_kinds::Module>;
// A font, bitmap or brush deleted with DeleteObject.
template <typename T>
using GdiObject = UniqueHandle<handle_kinds::Gdi<T>>;
using ImageListHandle = UniqueHandle<handle_kinds::ImageList>;
using InternetHandle = UniqueHandle<handle_kinds::Internet>;

}  // namespace util
}  // namespace win
}  // namespace tavel
