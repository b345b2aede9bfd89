#pragma once
#include <string>

#include "base/Thread.h"

namespace tavelapp {

// Opens a file or web page through the shell on a thread of its own, so the
// shell never blocks the main thread; waits for a process it started.
class ShellExecuteThread : public Thread {
public:
    ShellExecuteThread(void* owner, std::wstring verb, std::wstring file, std::wstring parameters = std::wstring(),
                       std::wstring folder = std::wstring(), int show = 1 /* SW_SHOWNORMAL */)
        : owner_(owner),
          verb_(std::move(verb)),
          file_(std::move(file)),
          parameters_(std::move(parameters)),
          folder_(std::move(folder)),
          show_(show) {}
    ~ShellExecuteThread() override { wait(); }

protected:
    int run() override;

private:
    void* owner_;
    std::wstring verb_, file_, parameters_, folder_;
    int show_;
};

}  // namespace tavelapp
