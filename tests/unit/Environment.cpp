#include <gtest/gtest.h>

#include "app/Wiring.h"

namespace {

// The layers are wired as the program wires them at start.
class UnitEnvironment : public ::testing::Environment {
public:
    void SetUp() override { tavelapp::wireLayers(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new UnitEnvironment);

}  // namespace
