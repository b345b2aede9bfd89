#include "feature/UtilityPlugins.h"

#include "feature/ActionPluginKolibrix.h"
#include "feature/ActionPluginSystem.h"

namespace tavelapp {

std::vector<std::shared_ptr<ActionPlugin>> makeUtilityPlugins() {
    return {std::make_shared<ActionPluginKolibrix>(), std::make_shared<ActionPluginSystem>()};
}

}  // namespace tavelapp
