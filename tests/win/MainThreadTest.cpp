#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "WinTestSupport.h"
#include "action/ActionPluginMgr.h"
#include "action/ActionRunner.h"
#include "action/UtilityActionPlugin.h"
#include "base/AppPaths.h"
#include "base/RunningThreads.h"
#include "base/Util.h"
#include "app/ZEvared.h"
#include "config/Ini.h"
#include "player/PlayerState.h"
#include "win/util/MainThread.h"

using namespace tavelapp;
using tavel::win::util::MainThread;

namespace {

// A utility plug-in that notes the thread its action is dispatched on.
class ThreadProbe : public UtilityActionPlugin {
public:
    std::wstring GetName() override { return L"Utility/ThreadProbe"; }
    bool ActionExists(const std::wstring& name) override { return name == L"threadprobe"; }
    int RunAction(const ActionListItemPtr&, const std::wstring&, const std::vector<std::wstring>&) override {
        thread = ::GetCurrentThreadId();
        return 0;
    }
    std::atomic<DWORD> thread{0};
};

}  // namespace

TEST(MainThread, WorkFromAnyThreadRunsOnTheMainThreadInOrderOrIsFreed) {
    const DWORD main = ::GetCurrentThreadId();
    std::vector<int> order;
    std::vector<DWORD> threads;
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(MainThread::post([&, i] {
                order.push_back(i);
                threads.push_back(::GetCurrentThreadId());
            }));
        }
    });
    worker.join();
    ASSERT_TRUE(pumpUntil([&] { return order.size() == 3; }, 2000));
    EXPECT_EQ((std::vector<int>{0, 1, 2}), order);
    EXPECT_EQ((std::vector<DWORD>{main, main, main}), threads);

    // Work waiting when the main thread lets go, and work posted after, is
    // dropped and freed, never run (least of all on the worker).
    auto witness = std::make_shared<int>(0);
    std::thread early([&] { EXPECT_TRUE(MainThread::post([witness] { ++*witness; })); });
    early.join();
    MainThread::detach();
    std::thread late([&] { EXPECT_FALSE(MainThread::post([witness] { ++*witness; })); });
    late.join();
    MainThread::attach();
    pumpFor(50);
    EXPECT_EQ(0, *witness);
    EXPECT_EQ(1, witness.use_count());
}

TEST(MainThread, AWorkersActionReferenceIsDispatchedOnTheMainThread) {
    auto probe = std::make_shared<ThreadProbe>();
    ActionPluginMgr::instance().addPlugin(probe);
    const long before = MainThread::violations();
    std::thread worker([] { ActionRunner::instance().runByName(L"ThreadProbe", true); });
    worker.join();
    ASSERT_TRUE(pumpUntil([&] { return probe->thread.load() != 0; }, 2000));
    EXPECT_EQ(::GetCurrentThreadId(), probe->thread.load());
    EXPECT_EQ(before, MainThread::violations());
}

TEST(MainThread, TheRunActionDialogOpensOnTheMainThread) {
    std::atomic<DWORD> owner{0};
    std::atomic<bool> done{false};
    std::thread user([&] {
        for (int i = 0; i < 500 && owner == 0; ++i) {
            HWND dialog = nullptr;
            wchar_t name[32];
            for (HWND w = ::GetTopWindow(nullptr); w != nullptr; w = ::GetNextWindow(w, GW_HWNDNEXT)) {
                DWORD pid = 0;
                const DWORD thread = ::GetWindowThreadProcessId(w, &pid);
                if (pid == ::GetCurrentProcessId() && ::GetClassNameW(w, name, 32) > 0 &&
                    std::wstring(name) == L"#32770" && ::IsWindowVisible(w)) {
                    dialog = w;
                    owner = thread;
                    break;
                }
            }
            if (dialog != nullptr) {
                ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                break;
            }
            ::Sleep(10);
        }
        done = true;
    });
    ActionRunner::instance().runByName(L"RunAction", false);
    pumpUntil([&] { return done.load(); }, 6000);
    user.join();
    runningThreads().waitAll();
    EXPECT_EQ(::GetCurrentThreadId(), owner.load());
}

TEST(MainThread, ATrackChangeDetectedOnAWorkerSetsTheToolTipOnTheMainThread) {
    const std::wstring settingsFile = AppPaths::settingsFolder() + L"\\Option.ini";
    ::DeleteFileW(settingsFile.c_str());
    {
        ZEvared controller;
        const long before = MainThread::violations();
        PlayerState state;
        std::thread detector([&] { Util::onTrackChanged(state); });
        detector.join();
        pumpFor(100);
        EXPECT_EQ(before, MainThread::violations());
        EXPECT_EQ(L"Kolibrix", controller.trayIcon()->tip());
        // Work still on its way when the controller goes finds it gone.
        std::thread late([&] { Util::onTrackChanged(state); });
        late.join();
    }
    pumpFor(100);
    ::DeleteFileW(settingsFile.c_str());
    Ini::instance() = Ini(settingsFile);
}
