#pragma once
#include <mutex>

namespace tavel {
namespace win {
namespace mixer {

// The system's master volume and mute over every mixer device. The master line
// that is read is destination 0 of device 0; writes go to every destination.
// Missing devices, destinations or controls read as 0 or false and are
// skipped by writes.

// Guards the process-wide device registry: the snapshot reads it on workers
// while actions write it. Hold it across a read and the write based on it.
std::recursive_mutex& registryLock();

double getSystemVolume();
// direction as for Line::setVolume.
void setSystemVolume(double fraction, int direction = 0);
bool getSystemMute();
void setSystemMute(bool mute);

}  // namespace mixer
}  // namespace win
}  // namespace tavel
