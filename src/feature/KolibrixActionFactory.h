#pragma once
#include "action/Factory.h"

namespace tavelapp {
namespace action {

// The utility's own actions, for the built-in utility plug-in.
class KolibrixActionFactory : public Factory {
public:
    static KolibrixActionFactory& instance();

private:
    KolibrixActionFactory();
};

}  // namespace action
}  // namespace tavelapp
