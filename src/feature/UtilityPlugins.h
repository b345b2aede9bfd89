#pragma once
#include <memory>
#include <vector>

#include "action/ActionPlugin.h"

namespace tavelapp {

// The program's own action plug-ins, in their order: its features' actions
// and the system's. Handed to the plug-in manager at start.
std::vector<std::shared_ptr<ActionPlugin>> makeUtilityPlugins();

}  // namespace tavelapp
