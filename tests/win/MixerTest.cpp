#include <gtest/gtest.h>

#include <cwchar>
#include <thread>
#include <vector>

#include "feature/SystemActionFactory.h"
#include "base/RunningThreads.h"
#include "config/Ini.h"
#include "notify/PlayerStateFactory.h"
#include "win/mixer/Device.h"
#include "win/mixer/MixerRules.h"
#include "win/mixer/SystemMixer.h"
#include "win/winsock/Exception.h"

namespace mixer = tavel::win::mixer;

namespace {

int percent() { return mixer::wholePercent(mixer::getSystemVolume()); }

void run(const std::wstring& name, const std::wstring& parameter) {
    auto action = tavelapp::action::SystemActionFactory::instance().create(name, nullptr, {parameter});
    ASSERT_TRUE(action);
    ASSERT_TRUE(action->start());
    action->wait();
}

}  // namespace

// Needs Wine's mixer on a null ALSA output: its own CTest entry sets
// ALSA_CONFIG_PATH for the test program (without it Wine has no mixer at all).
TEST(MixerProbe, DISABLED_MasterLineReadsBackWhatWasSet) {
    ASSERT_GT(::mixerGetNumDevs(), 0u) << "no mixer: is ALSA_CONFIG_PATH set to a null output?";
    mixer::Device device(0);
    ASSERT_GT(device.destinationCount(), 0u);
    std::shared_ptr<mixer::Line> line = device.destination(0)->line(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    ASSERT_TRUE(line->hasVolume());
    ASSERT_TRUE(line->hasMute());
    EXPECT_THROW(device.destination(device.destinationCount()), tavel::Exception);

    line->setVolume(0.25);
    // Wine keeps the value as a float: it may read back a unit below.
    EXPECT_NEAR(line->volume(), 0.25, 1.5 / 65535);
    mixer::setSystemVolume(0.95);
    EXPECT_EQ(percent(), 95);
    mixer::setSystemMute(true);
    EXPECT_TRUE(mixer::getSystemMute());
    EXPECT_TRUE(line->mute());
    mixer::setSystemMute(false);
    EXPECT_FALSE(mixer::getSystemMute());
}

TEST(MixerProbe, DISABLED_VolumeAndMuteActionsDriveTheMasterLine) {
    struct Step {
        const wchar_t* parameter;
        int percent;
    } steps[] = {{L"=95", 95}, {L"+10", 100},  {L"-10", 90}, {L"=5", 5},  {L"-10", 0},
                 {L"+1", 1},   {L"=150", 100}, {L"+0", 100}, {L"x", 100}, {L"=37", 37}};
    for (const Step& s : steps) {
        run(L"systemvolume", s.parameter);
        EXPECT_EQ(percent(), s.percent) << std::string(s.parameter, s.parameter + wcslen(s.parameter));
    }
    run(L"systemmute", L"On");
    EXPECT_TRUE(mixer::getSystemMute());
    run(L"systemmute", L"OnOff");
    EXPECT_FALSE(mixer::getSystemMute());
    run(L"systemmute", L"on");
    EXPECT_TRUE(mixer::getSystemMute());
    run(L"systemmute", L"Off");
    EXPECT_FALSE(mixer::getSystemMute());
}

TEST(MixerProbe, DISABLED_StepsFromManyThreadsAreNotLost) {
    // Read and write are one step under the registry lock: fifty +1 steps and
    // fifty -1 steps from several threads at once end where they began.
    mixer::setSystemVolume(0.5);
    // Side by side, not in turn on the action lock.
    tavelapp::Ini& settings = tavelapp::Ini::instance();
    const bool ignoreWaiting = settings.detail.ignoreWaitingAction;
    settings.detail.ignoreWaitingAction = true;
    tavelapp::Ini::publish();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 25; ++i) {
                run(L"systemvolume", t % 2 == 0 ? L"+1" : L"-1");
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    settings.detail.ignoreWaitingAction = ignoreWaiting;
    tavelapp::Ini::publish();
    EXPECT_EQ(percent(), 50);
}

TEST(MixerProbe, DISABLED_SnapshotShowsTheMasterVolumeAndMute) {
    mixer::setSystemVolume(0.37);
    mixer::setSystemMute(true);
    {
        tavelapp::PlayerStateFactory::Guard guard;
        tavelapp::PlayerStateFactory::instance().update();
    }
    auto state = tavelapp::PlayerStateFactory::instance().latest();
    EXPECT_EQ(state->systemVolume(), 37);
    EXPECT_TRUE(state->isSystemMute());
    mixer::setSystemMute(false);
}

TEST(Mixer, WithoutASoundDeviceReadsAreZeroAndTheActionsEndQuietly) {
    if (::mixerGetNumDevs() != 0) GTEST_SKIP() << "this machine has a mixer";
    mixer::setSystemVolume(0.5, 1);
    mixer::setSystemMute(true);
    EXPECT_EQ(mixer::getSystemVolume(), 0);
    EXPECT_FALSE(mixer::getSystemMute());
    EXPECT_THROW(mixer::Device(0), tavel::Exception);
    run(L"systemvolume", L"+10");
    run(L"systemmute", L"OnOff");
    EXPECT_EQ(mixer::getSystemVolume(), 0);
}
