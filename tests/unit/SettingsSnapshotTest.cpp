#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "PlayerStateSupport.h"
#include "action/ActionPluginMgr.h"
#include "config/Ini.h"
#include "notify/ChangeDetector.h"
#include "notify/NotificationTexts.h"
#include "notify/NotifyThreads.h"
#include "notify/PlayerStateFactory.h"

using namespace tavelapp;

// Workers build track notifications and detect changes while the main thread
// replaces the whole settings again and again (OK in the options). Under
// ThreadSanitizer any read of the live switches is reported (the text itself is
// copied inside the uninstrumented standard library); everywhere, each text
// comes from one whole version of the settings.
TEST(SettingsSnapshotTest, WorkersSeeWholeSettingsWhileTheMainThreadReplacesThem) {
    const Ini saved = Ini::instance();
    // Too long for a short string: a torn read of the heap text shows.
    const std::wstring patterns[2] = {L"first version of the track text: %Name% by %Artist%",
                                      L"second version, also too long for a short string: %Artist% / %Name%"};
    const PlayerState state = makeState({{PlayerState::Name, L"Lights"}, {PlayerState::Artist, L"Aoi"}});
    Ini::instance().notify.notifyTrackText = patterns[1];
    Ini::publish();
    ActionPluginMgr noPlugins{std::vector<std::shared_ptr<ActionPlugin>>()};
    PlayerStateFactory noPlayer{noPlugins};
    std::atomic<bool> done{false};
    std::atomic<int> built{0}, mixed{0};
    const auto worker = [&] {
        for (; !done.load(); ++built) {
            const std::wstring text = NotificationTexts::trackText(state);
            if (text != NotificationTexts::trackText(state, patterns[0]) &&
                text != NotificationTexts::trackText(state, patterns[1]))
                ++mixed;
            loadArtworkPicture(L"missing.bmp");
            ChangeDetector::detectChanges(noPlayer, noPlugins);
        }
    };
    std::thread first(worker), second(worker);
    for (int i = 0; i < 400 || (built.load() < 100 && i < 100000); ++i) {
        Ini next(Ini::instance());
        next.notify.notifyTrackText = patterns[i % 2];
        next.notify.showArtwork = next.notify.notifyVolume = i % 2 == 0;
        Ini::instance() = next;
        Ini::publish();
    }
    done = true;
    first.join();
    second.join();
    Ini::instance() = saved;
    Ini::publish();
    EXPECT_EQ(0, mixed.load());
}
