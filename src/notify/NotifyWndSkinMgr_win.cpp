#include "notify/NotifyWndSkinMgr.h"

namespace tavelapp {

NotifyWndSkinMgr& NotifyWndSkinMgr::instance() {
    static NotifyWndSkinMgr manager;
    return manager;
}

void NotifyWndSkinMgr::load(const std::wstring& name) {
    current_ = std::make_shared<const NotifyWndSkin>(name);
    scaled_.reset();
}

NotifyWndSkinPtr NotifyWndSkinMgr::current(int dpi) {
    if (!current_ || dpi <= 0 || dpi == current_->dpi()) return current_;
    if (!scaled_ || scaled_->dpi() != dpi) scaled_ = std::make_shared<const NotifyWndSkin>(*current_, dpi);
    return scaled_;
}

void NotifyWndSkinMgr::list(std::vector<List::Item>& items) const {
    items.clear();
    for (const auto& skin : SkinData::listSkins(NotifyWndSkin::skinsFolder())) {
        items.push_back(List::Item{skin.first, skin.second});
    }
}

}  // namespace tavelapp
