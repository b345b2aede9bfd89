#include <sys/resource.h>

#include <cstdlib>

#include "feature/BackupThread.h"
#include "win/util/TextCodec.h"

namespace tavelapp {

std::wstring playerLibraryFolder() {
    const char* home = std::getenv("HOME");
    std::wstring folder = tavel::win::util::utf8ToWide(home ? home : "");
    for (wchar_t& c : folder)
        if (c == L'/') c = L'\\';
    return folder + L"\\Music\\iTunes";
}

void lowerThreadPriority() {
    // On Linux the nice value belongs to the calling thread.
    ::setpriority(PRIO_PROCESS, 0, 10);
}

}  // namespace tavelapp
