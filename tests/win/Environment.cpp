#include <gtest/gtest.h>
#include <objbase.h>

#include "WinTestSupport.h"
#include "base/AppPaths.h"
#include "app/Wiring.h"
#include "win/util/MainThread.h"

namespace {

// The test program is its own "program": its settings folder sits beside it,
// and its test thread is the main thread, as the program's is.
class WinEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ::CoInitialize(nullptr);
        tavel::win::util::MainThread::attach();
        tavelapp::AppPaths::setProgramPath(modulePath());
        tavelapp::wireLayers();
    }
    void TearDown() override {
        // Every window, the tray icon, dialogs and plug-in calls stayed on the
        // main thread through all the tests.
        EXPECT_EQ(0, tavel::win::util::MainThread::violations());
        tavel::win::util::MainThread::detach();
        ::CoUninitialize();
    }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new WinEnvironment);

}  // namespace
