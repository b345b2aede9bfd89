#pragma once
#include <memory>
#include <string>
#include <vector>

#include "notify/NotifyWndSkin.h"

namespace tavelapp {

// Holds the skin in use and lists the installed ones. Main thread only.
class NotifyWndSkinMgr {
public:
    class List {
    public:
        struct Item {
            std::wstring name;         // folder name as stored in the Skin setting
            std::wstring displayName;  // [Info] Name
        };
    };

    static NotifyWndSkinMgr& instance();

    NotifyWndSkinMgr() = default;
    NotifyWndSkinMgr(const NotifyWndSkinMgr&) = delete;
    NotifyWndSkinMgr& operator=(const NotifyWndSkinMgr&) = delete;
    virtual ~NotifyWndSkinMgr() = default;

    // Replaces the current skin; windows already open keep theirs.
    void load(const std::wstring& name);
    // Empty until the first load.
    NotifyWndSkinPtr current() const { return current_; }
    // The current skin drawn at `dpi`; the scaled copy is kept for the next window.
    NotifyWndSkinPtr current(int dpi);
    // The sub-folders of Skins, in file-system order.
    void list(std::vector<List::Item>& items) const;

private:
    NotifyWndSkinPtr current_;
    NotifyWndSkinPtr scaled_;
};

}  // namespace tavelapp
