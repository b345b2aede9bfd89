#include <windows.h>
#include <wininet.h>

#include "win/util/Handle.h"

namespace tavel {
namespace win {
namespace util {

void handle_kinds::Internet::close(void* h) { ::InternetCloseHandle(h); }

}  // namespace util
}  // namespace win
}  // namespace tavel
