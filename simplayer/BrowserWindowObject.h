#pragma once
#include <memory>
#include <vector>

#include "DispatchTable.h"
#include "player/PlayerInterface.h"
#include "player/model/PlayerModel.h"

namespace simplayer {

// The player's main window (IITBrowserWindow).
class BrowserWindowObject : public DispatchTable<BrowserWindowObject> {
public:
    BrowserWindowObject(tavelapp::itunes::BrowserWindowPtr window,
                        std::shared_ptr<tavelapp::itunes::model::PlayerModel> model)
        : window_(std::move(window)), model_(std::move(model)) {}
    tavelapp::itunes::BrowserWindow& target() { return *window_; }
    static const std::vector<DispMember<BrowserWindowObject>>& members();

private:
    static HRESULT visible(BrowserWindowObject& self, const DispArgs& args, VARIANT* result);
    static HRESULT selectedPlaylist(BrowserWindowObject& self, const DispArgs& args, VARIANT* result);
    static HRESULT setSelectedPlaylist(BrowserWindowObject& self, const DispArgs& args, VARIANT* result);

    tavelapp::itunes::BrowserWindowPtr window_;
    std::shared_ptr<tavelapp::itunes::model::PlayerModel> model_;
};

}  // namespace simplayer
