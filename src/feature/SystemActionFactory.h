#pragma once
#include "action/Factory.h"

namespace tavelapp {
namespace action {

// Shutting down and the system's master volume, for the built-in system plug-in.
class SystemActionFactory : public Factory {
public:
    static SystemActionFactory& instance();

private:
    SystemActionFactory();
};

}  // namespace action
}  // namespace tavelapp
