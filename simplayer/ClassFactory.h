#pragma once
#include <windows.h>
#include <unknwn.h>

#include <memory>

#include "EventHub.h"
#include "player/model/PlayerModel.h"

namespace simplayer {

// The class object of the player's application class: every instance is a new
// application object over the one model.
class ClassFactory final : public IClassFactory {
public:
    ClassFactory(std::shared_ptr<tavelapp::itunes::model::PlayerModel> model, std::shared_ptr<EventHub> hub)
        : model_(std::move(model)), hub_(std::move(hub)) {}
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

    // Makes a class object known to COM for local-server activation while it
    // lives (or until revoke).
    class Registration {
    public:
        Registration() = default;
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;
        ~Registration() { revoke(); }

        HRESULT add(IClassFactory* factory);
        void revoke();

    private:
        DWORD cookie_ = 0;
        bool registered_ = false;
    };

private:
    ~ClassFactory() = default;

    volatile LONG refs_ = 1;
    std::shared_ptr<tavelapp::itunes::model::PlayerModel> model_;
    std::shared_ptr<EventHub> hub_;
};

}  // namespace simplayer
