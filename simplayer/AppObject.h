#pragma once
#include <ocidl.h>

#include <memory>
#include <vector>

#include "ConnectionPoint.h"
#include "DispatchTable.h"
#include "EventHub.h"
#include "player/PlayerInterface.h"
#include "player/model/PlayerModel.h"

namespace simplayer {

// The application object (IiTunes) that each CoCreateInstance gets, with its
// connection point for the player's events.
class AppObject : public DispatchTable<AppObject>, public IConnectionPointContainer {
public:
    AppObject(std::shared_ptr<tavelapp::itunes::model::PlayerModel> model, std::shared_ptr<EventHub> hub);

    tavelapp::itunes::App& target() { return *app_; }
    static const std::vector<DispMember<AppObject>>& members();

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return DispatchObject::QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return DispatchObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return DispatchObject::Release(); }

    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

protected:
    void* findInterface(REFIID iid) override;

private:
    static HRESULT browserWindow(AppObject& self, const DispArgs& args, VARIANT* result);
    static HRESULT createPlaylist(AppObject& self, const DispArgs& args, VARIANT* result);
    static HRESULT persistentIdHigh(AppObject& self, const DispArgs& args, VARIANT* result);
    static HRESULT persistentIdLow(AppObject& self, const DispArgs& args, VARIANT* result);

    std::shared_ptr<tavelapp::itunes::model::PlayerModel> model_;
    std::shared_ptr<tavelapp::itunes::App> app_;
    std::shared_ptr<EventHub> hub_;
    ConnectionPoint events_;
};

}  // namespace simplayer
