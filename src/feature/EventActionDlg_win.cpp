#include <windows.h>

#include <memory>
#include <string>

#include "config/DialogLocalizer.h"
#include "config/LossNotice.h"
#include "config/Lang.h"
#include "feature/ActionChoice.h"
#include "feature/EventAction.h"
#include "feature/FeatureDialogs.h"
#include "feature/ModalDialog.h"
#include "res/resource.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

class EventActionDlg : public ModalDialog, private EventAction::EventActionListener {
public:
    EventActionDlg() : alive_(std::make_shared<EventActionDlg*>(this)) { EventAction::instance().addListener(this); }
    ~EventActionDlg() override {
        EventAction::instance().removeListener(this);
        *alive_ = nullptr;
    }

private:
    void onInit() override {
        localizeDialog(hwnd(), L"EventActionDlg");
        HWND methods = item(IDC_EVENTACTION_METHOD);
        for (const wchar_t* key : {L"Method0", L"Method1"}) {
            const std::wstring text = Lang::instance().text(L"EventActionDlg", key);
            ::SendMessageW(methods, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        EventAction& eventAction = EventAction::instance();
        // Method 2 is only for the settings file; the dialog shows it as the
        // stop it also is, and keeps it unless the user picks another.
        const int method = eventAction.method();
        ::SendMessageW(methods, CB_SETCURSEL, method == 0 ? 0 : 1, 0);
        actions_.fill(item(IDC_FEATURE_ACTION), eventAction.action());
        updateControls();
        bringForward(hwnd());
    }
    bool onCommand(WORD id, WORD code) override {
        EventAction& eventAction = EventAction::instance();
        switch (id) {
            case IDC_FEATURE_START:
                store();
                eventAction.start();
                return true;
            case IDC_FEATURE_STOP:
                eventAction.stop();
                return true;
            case IDC_FEATURE_MENU:
                actions_.choose(hwnd(), item(IDC_FEATURE_ACTION));
                return true;
            case IDC_EVENTACTION_METHOD:
                if (code == CBN_SELCHANGE) methodChosen_ = true;
                return true;
            case IDCANCEL:
                if (!eventAction.isRunning()) store();
                close(IDCANCEL);
                return true;
            default:
                return false;
        }
    }
    // May come from the worker that saw the player stop: the dialog is
    // updated on its own thread, if it is still there.
    void onStateChanged(EventAction&) override {
        std::weak_ptr<EventActionDlg*> alive = alive_;
        static_cast<void>(tavel::win::util::MainThread::run([alive] {
            if (auto self = alive.lock()) {
                if (*self != nullptr) (*self)->refresh();
            }
        }));
    }

    void refresh() {
        if (hwnd() == nullptr) return;
        actions_.select(item(IDC_FEATURE_ACTION), EventAction::instance().action());
        updateControls();
    }
    void store() {
        EventAction& eventAction = EventAction::instance();
        const LRESULT index = ::SendMessageW(item(IDC_EVENTACTION_METHOD), CB_GETCURSEL, 0, 0);
        if (methodChosen_ || eventAction.method() == 0) {
            eventAction.setMethod(index == 0 ? EventAction::TrackFinished : EventAction::PlayerStopped);
        } else if (index == 0) {
            eventAction.setMethod(EventAction::TrackFinished);
        }
        const std::wstring action = actions_.selected(item(IDC_FEATURE_ACTION));
        if (!action.empty()) eventAction.setAction(action);
    }
    void updateControls() {
        const bool running = EventAction::instance().isRunning();
        for (int id : {IDC_EVENTACTION_METHOD, IDC_FEATURE_ACTION, IDC_FEATURE_MENU, IDC_FEATURE_START})
            ::EnableWindow(item(id), running ? FALSE : TRUE);
        ::EnableWindow(item(IDC_FEATURE_STOP), running ? TRUE : FALSE);
    }

    std::shared_ptr<EventActionDlg*> alive_;
    ActionChoice actions_;
    bool methodChosen_ = false;
};

HWND openEventActionDlg = nullptr;

}  // namespace

void showEventActionDlg() {
    EventActionDlg dialog;
    if (dialog.showModal(IDD_EVENTACTION, nullptr, openEventActionDlg) != 0)
        LossNotice::save(EventActionIni::instance());
}

}  // namespace tavelapp
