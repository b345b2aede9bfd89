#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "PlayerStateSupport.h"
#include "config/Ini.h"
#include "notify/NotificationTexts.h"
#include "notify/NotifyThreads.h"

using namespace tavelapp;

// The main thread replaces the whole settings (OK in the options) again and
// again while workers build track notifications. Run under ThreadSanitizer it
// reports any worker that reads the live settings; everywhere, a worker must
// see one whole version of the settings or the other, never a mix.
TEST(SettingsSnapshotTest, WorkersBuildTextsFromWholeSettingsWhileTheMainThreadReplacesThem) {
    const Ini saved = Ini::instance();
    // Long enough to live on the heap, where a torn read shows.
    const std::wstring patterns[2] = {L"first version of the track text, long enough: %Name% by %Artist%",
                                      L"second version, also far too long for a short string: %Artist% / %Name%"};
    const PlayerState state = makeState({{PlayerState::Name, L"Lights"}, {PlayerState::Artist, L"Aoi"}});
    const std::wstring expected[2] = {NotificationTexts::trackText(state, patterns[0]),
                                      NotificationTexts::trackText(state, patterns[1])};

    Ini::instance().notify.notifyTrackText = patterns[1];
    Ini::publish();

    std::atomic<bool> done{false};
    std::atomic<int> built{0}, wrong{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 2; ++w) {
        workers.emplace_back([&] {
            while (!done.load()) {
                const std::wstring text = NotificationTexts::trackText(state);
                if (text != expected[0] && text != expected[1]) ++wrong;
                loadArtworkPicture(L"missing.bmp");
                ++built;
            }
        });
    }
    for (int i = 0; i < 400 || (built.load() < 100 && i < 100000); ++i) {
        Ini next(Ini::instance());
        next.notify.notifyTrackText = patterns[i % 2];
        next.notify.showArtwork = i % 2 == 0;
        Ini::instance() = next;
        Ini::publish();
        std::this_thread::yield();
    }
    done = true;
    for (std::thread& worker : workers)
        worker.join();
    Ini::instance() = saved;
    Ini::publish();
    EXPECT_EQ(0, wrong.load());
}
