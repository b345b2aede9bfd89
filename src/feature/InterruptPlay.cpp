#include "feature/InterruptPlay.h"

namespace tavelapp {

InterruptPlay& InterruptPlay::instance() {
    static InterruptPlay interruptPlay;
    return interruptPlay;
}

}  // namespace tavelapp
