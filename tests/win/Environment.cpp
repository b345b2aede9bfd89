#include <gtest/gtest.h>
#include <objbase.h>

#include "WinTestSupport.h"
#include "app/AppPaths.h"

namespace {

// The test program is its own "program": its settings folder sits beside it.
class WinEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ::CoInitialize(nullptr);
        tavelapp::AppPaths::setProgramPath(modulePath());
    }
    void TearDown() override { ::CoUninitialize(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new WinEnvironment);

}  // namespace
