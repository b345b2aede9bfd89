#include "feature/SystemActionFactory.h"

#include "feature/SystemActions.h"

namespace tavelapp {
namespace action {

SystemActionFactory& SystemActionFactory::instance() {
    static SystemActionFactory factory;
    return factory;
}

SystemActionFactory::SystemActionFactory() {
    add<ExitSystem>(L"ExitSystem");
    add<SystemVolume>(L"SystemVolume");
    add<SystemMute>(L"SystemMute");
}

}  // namespace action
}  // namespace tavelapp
