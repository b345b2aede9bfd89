#include "win/util/Com.h"

namespace tavel {
namespace win {
namespace util {

void comInitialize() {}
void comUninitialize() {}

}  // namespace util
}  // namespace win
}  // namespace tavel
