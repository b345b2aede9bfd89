#include "feature/KolibrixActionFactory.h"

#include "feature/KolibrixActions.h"

namespace tavelapp {
namespace action {

KolibrixActionFactory& KolibrixActionFactory::instance() {
    static KolibrixActionFactory factory;
    return factory;
}

KolibrixActionFactory::KolibrixActionFactory() {
    add<RunScript>(L"RunScript");
    add<QuickPlay>(L"QuickPlay");
    add<RunAction>(L"RunAction");
    add<EditArtwork>(L"EditArtwork");
    add<ClockTimer>(L"ClockTimer");
    add<CountdownTimer>(L"CountdownTimer");
    add<EventAction>(L"EventAction");
    add<FindWiimote>(L"FindWiimote");
}

}  // namespace action
}  // namespace tavelapp
