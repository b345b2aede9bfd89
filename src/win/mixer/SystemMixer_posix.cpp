#include "win/mixer/SystemMixer.h"

namespace tavel {
namespace win {
namespace mixer {

// No system mixer off Windows: reads as missing, writes skip.

std::recursive_mutex& registryLock() {
    static std::recursive_mutex lock;
    return lock;
}

double getSystemVolume() { return 0; }
void setSystemVolume(double, int) {}
bool getSystemMute() { return false; }
void setSystemMute(bool) {}

}  // namespace mixer
}  // namespace win
}  // namespace tavel
