#include <objbase.h>

#include "win/util/Com.h"

namespace tavel {
namespace win {
namespace util {

void comInitialize() { ::CoInitialize(nullptr); }
void comUninitialize() { ::CoUninitialize(); }

}  // namespace util
}  // namespace win
}  // namespace tavel
