#pragma once
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "player/com/ITunesCom.h"

// Suites that drive the simulated player: registered as the player for the
// suite (the first connection starts it), asked to quit and unregistered after.
class SimPlayerSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(0u, runSimPlayer(L"/regserver")); }
    static void TearDownTestSuite() {
        tavelapp::quitITunes();
        pumpUntil([] { return !tavelapp::isITunesRunning(); }, 10000);
        runSimPlayer(L"/unregserver");
    }
};
