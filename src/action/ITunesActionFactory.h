#pragma once
#include "action/Factory.h"

namespace tavelapp {
namespace action {

// The player actions of the built-in player plug-in.
class ITunesActionFactory : public Factory {
public:
    static ITunesActionFactory& instance();

private:
    ITunesActionFactory();
};

}  // namespace action
}  // namespace tavelapp
