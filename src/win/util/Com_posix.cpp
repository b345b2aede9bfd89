#include <atomic>

#include "win/util/Com.h"

namespace tavel {
namespace win {
namespace util {
namespace {
std::atomic<unsigned long> retryMs{5000};
}  // namespace

ComApartment::ComApartment() {}
ComApartment::~ComApartment() {}

unsigned long busyRetryMs() { return retryMs.load(); }
void setBusyRetryMs(unsigned long ms) { retryMs = ms; }

}  // namespace util
}  // namespace win
}  // namespace tavel
