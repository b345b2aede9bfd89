#include "feature/ActionPluginKolibrix.h"

#include "feature/KolibrixActionFactory.h"
#include "base/RunningThreads.h"
#include "base/Util.h"
#include "feature/FeatureDialogs.h"
#include "feature/InterruptPlayDlg.h"
#include "notify/ChangeDetector.h"
#include "notify/NotifyThreads.h"
#include "win/util/MainThread.h"

namespace tavelapp {

const wchar_t* const ActionPluginKolibrix::kCommands[10] = {
    L"donothing",
    L"showoption",
    L"showclocktimeroption",
    L"showcountdowntimeroption",
    L"showeventactionoption",
    L"showinterruptplayoption",
    L"notifytrack",
    L"notifysetting",
    L"notifychanges",
    L"shellexecute",
};

namespace {

int commandIndex(const std::wstring& name) {
    for (int i = 0; i < 10; ++i) {
        if (name == ActionPluginKolibrix::kCommands[i]) return i;
    }
    return -1;
}

}  // namespace

bool ActionPluginKolibrix::ActionExists(const std::wstring& name) {
    return commandIndex(name) >= 0 || action::KolibrixActionFactory::instance().exists(name);
}

int ActionPluginKolibrix::RunAction(const ActionListItemPtr& entry, const std::wstring& name,
                                    const std::vector<std::wstring>& params) {
    switch (commandIndex(name)) {
        case 1:
            Util::showOption();
            return 0;
        case 0:  // donothing
        case 9:  // shellexecute
            return 0;
        case 2:
            // Shown from the message loop, not from inside this dispatch.
            static_cast<void>(tavel::win::util::MainThread::post(&showClockTimerDlg));
            return 0;
        case 3:
            static_cast<void>(tavel::win::util::MainThread::post(&showCountdownTimerDlg));
            return 0;
        case 4:
            static_cast<void>(tavel::win::util::MainThread::post(&showEventActionDlg));
            return 0;
        case 5:
            static_cast<void>(tavel::win::util::MainThread::post([] { showInterruptPlayDlg(); }));
            return 0;
        case 6:
            runningThreads().start(std::make_shared<NotifyTrackThread>());
            return 0;
        case 7:
            runningThreads().start(std::make_shared<NotifySettingThread>());
            return 0;
        case 8:
            // Player events come in bursts (stop, play, volume): one capture serves a burst.
            ChangeDetector::requestSoon();
            return 0;
        default:
            break;
    }
    if (auto action = action::KolibrixActionFactory::instance().create(name, entry, params)) {
        runningThreads().start(action);
    }
    return 0;
}

}  // namespace tavelapp
