#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "WinTestSupport.h"
#include "win/timer/Timer.h"

using tavel::win::timer::Timer;

namespace {

const wchar_t kWindowClass[] = L"tavel_win_timer_Timer_EventHandlerWnd";

struct Recorder : Timer::Listener {
    void onTimer(Timer& timer) override {
        ++ticks;
        lastId = timer.id();
        threads.push_back(::GetCurrentThreadId());
    }
    int ticks = 0;
    int lastId = -1;
    std::vector<DWORD> threads;
};

}  // namespace

TEST(Timer, FireNowCallsBeforeReturningThenTicksPeriodically) {
    Recorder r;
    Timer t;
    t.setListener(&r);
    EXPECT_TRUE(t.start(30, true));
    EXPECT_EQ(1, r.ticks);
    EXPECT_TRUE(pumpUntil([&] { return r.ticks >= 3; }, 2000));
    t.stop();
    const int afterStop = r.ticks;
    pumpFor(150);
    EXPECT_EQ(afterStop, r.ticks);
}

TEST(Timer, IdsGrowAndAreNeverReused) {
    int first;
    {
        Timer a;
        first = a.id();
    }
    Timer b;
    Timer c;
    EXPECT_GT(b.id(), first);
    EXPECT_EQ(b.id() + 1, c.id());
}

TEST(Timer, ATickForADestroyedTimerDoesNothing) {
    Timer keeper;  // keeps the shared window alive
    Recorder r;
    int deadId;
    {
        Timer t;
        t.setListener(&r);
        deadId = t.id();
    }
    HWND window = ::FindWindowW(kWindowClass, nullptr);
    ASSERT_NE(nullptr, window);
    ::PostMessageW(window, WM_TIMER, static_cast<WPARAM>(deadId), 0);
    pumpFor(50);
    EXPECT_EQ(0, r.ticks);
}

TEST(Timer, TheSharedWindowLivesWithTheTimers) {
    {
        auto t = std::make_unique<Timer>();
        EXPECT_NE(nullptr, ::FindWindowW(kWindowClass, nullptr));
        auto u = std::make_unique<Timer>();
        t.reset();
        EXPECT_NE(nullptr, ::FindWindowW(kWindowClass, nullptr));
    }
    EXPECT_EQ(nullptr, ::FindWindowW(kWindowClass, nullptr));
    Recorder r;
    Timer again;
    again.setListener(&r);
    EXPECT_NE(nullptr, ::FindWindowW(kWindowClass, nullptr));
    EXPECT_TRUE(again.start(10));
    EXPECT_TRUE(pumpUntil([&] { return r.ticks > 0; }, 1000));
}

TEST(Timer, StartingARunningTimerRestartsItsPeriod) {
    Recorder r;
    Timer t;
    t.setListener(&r);
    EXPECT_TRUE(t.start(400));
    pumpFor(250);
    EXPECT_TRUE(t.start(400));
    pumpFor(250);
    EXPECT_EQ(0, r.ticks) << "the first period was not restarted";
    EXPECT_TRUE(pumpUntil([&] { return r.ticks >= 1; }, 1000));
    pumpFor(100);
    EXPECT_EQ(1, r.ticks) << "a second system timer was added";
}

TEST(Timer, StartFromAnotherThreadTicksOnTheTimerThread) {
    Recorder r;
    Timer t;
    t.setListener(&r);
    std::thread worker([&] { EXPECT_TRUE(t.start(20, true)); });
    worker.join();
    EXPECT_TRUE(pumpUntil([&] { return r.ticks >= 2; }, 2000));
    t.stop();
    for (DWORD id : r.threads)
        EXPECT_EQ(::GetCurrentThreadId(), id);
    std::thread stopper([&] { t.stop(); });
    stopper.join();
    pumpFor(30);
    const int ticks = r.ticks;
    pumpFor(100);
    EXPECT_EQ(ticks, r.ticks);
}
