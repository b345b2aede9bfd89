#include "feature/Alarm.h"

namespace tavelapp {
namespace {

// No message loop off Windows: the program's parts are driven by tests there,
// which bring alarms of their own.
class NoAlarm : public Alarm {
public:
    void setListener(Listener*) override {}
    void start(unsigned int) override {}
    void stop() override {}
};

}  // namespace

std::unique_ptr<Alarm> Alarm::create() { return std::make_unique<NoAlarm>(); }

}  // namespace tavelapp
