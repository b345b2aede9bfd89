#include <windows.h>

#include <memory>
#include <utility>

#include "base/RunningThreads.h"
#include "player/PlayerHost.h"
#include "player/com/ITunesCom.h"
#include "win/util/Com.h"
#include "win/util/MainThread.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace itunes {
namespace {

class ComConnection : public PlayerConnection {
public:
    explicit ComConnection(ITunesEventsListener* listener = nullptr) {
        com_.setListener(listener);
        // The observed connection is made on the main thread: one try, the
        // observation timer retries.
        com_.setSingleAttempt(listener != nullptr);
    }
    App& app() override { return *com_.app(); }
    bool connect() override { return com_.connect(); }
    void disconnect() override { com_.disconnect(); }
    bool connected() const override { return com_.connected(); }

private:
    ITunesCom com_;
};

// A long-lived worker's one connection, and the player it was made to.
struct KeptConnection {
    std::unique_ptr<ITunesCom> com;
    HWND window = nullptr;
    DWORD process = 0;
};
// A plain pointer: thread_local objects with destructors crash this runtime's
// thread exit. The worker frees it itself (releaseThreadConnection).
thread_local KeptConnection* keptHere = nullptr;

KeptConnection& keptConnection() {
    if (keptHere == nullptr) keptHere = new KeptConnection;
    return *keptHere;
}

HWND playerWindow(DWORD& process) {
    HWND window = ::FindWindowA("iTunes", nullptr);
    process = 0;
    if (window != nullptr) ::GetWindowThreadProcessId(window, &process);
    return window;
}

// Borrows the thread's kept connection; made again when the player quit and
// came back (another window, another process) since it was made.
class BorrowedConnection : public PlayerConnection {
public:
    App& app() override {
        KeptConnection& kept = keptConnection();
        DWORD process = 0;
        HWND window = playerWindow(process);
        if (kept.com && kept.com->connected() && (window != kept.window || process != kept.process)) {
            kept.com->disconnect();
        }
        if (!kept.com) kept.com = std::make_unique<ITunesCom>();
        const bool fresh = !kept.com->connected();
        App& app = *kept.com->app();
        // Started by this very call: the window is the one that came up.
        if (fresh) kept.window = playerWindow(kept.process);
        return app;
    }
    bool connect() override {
        return tavel::win::util::guardedOr("ComPlayerHost::connect", false, [this] {
            app();
            return true;
        });
    }
    bool connected() const override { return keptHere != nullptr && keptHere->com && keptHere->com->connected(); }
};

// The player runs and gives a new application object now; one showing a
// dialog refuses it.
bool answersNow() {
    if (!isITunesRunning()) return false;
    ITunesCom com;
    com.setSingleAttempt(true);
    return com.connect();
}

// Asks the player for a new application object, one try at a time, until it
// gives one or the tries are used up.
class ProbeThread : public Thread {
public:
    explicit ProbeThread(std::function<void(bool)> answer) : answer_(std::move(answer)) {}

protected:
    int run() override {
        tavel::win::util::ComApartment apartment;
        const bool answers = connects();
        std::function<void(bool)> answer = std::move(answer_);
        const bool posted = tavel::win::util::MainThread::post([answer, answers] { answer(answers); });
        // Not posted: the program is ending and nobody waits for the answer.
        return posted ? 0 : 1;
    }

private:
    static bool connects() {
        const ITunesCom::Waits waits = ITunesCom::waits();
        for (int tries = 0;; ++tries) {
            if (answersNow()) return true;
            // A player that quit is nothing to wait for, and is never started here.
            if (!isITunesRunning() || tries >= waits.createTries || !ITunesCom::pause(waits.pauseMs)) return false;
        }
    }

    std::function<void(bool)> answer_;
};

class ComPlayerHost : public PlayerHost {
public:
    std::unique_ptr<PlayerConnection> open() override {
        if (keepsConnectionOnThisThread()) return std::make_unique<BorrowedConnection>();
        return std::make_unique<ComConnection>();
    }
    std::unique_ptr<PlayerConnection> openObserved(ITunesEventsListener* listener) override {
        return std::make_unique<ComConnection>(listener);
    }
    bool isRunning() override { return isITunesRunning(); }
    bool boot() override { return bootITunes(false); }
    bool quit() override { return quitITunes(); }
    bool answersNow() override { return itunes::answersNow(); }
    void probe(std::function<void(bool)> answer) override {
        runningThreads().start(std::make_shared<ProbeThread>(std::move(answer)));
    }
    bool isWindowVisible() override {
        HWND window = ::FindWindowA("iTunes", nullptr);
        return window != nullptr && ::IsWindowVisible(window);
    }
    void activateWindow() override {
        if (HWND window = ::FindWindowA("iTunes", nullptr)) {
            if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
            ::SetForegroundWindow(window);
        }
    }
    void minimizeWindow() override {
        HWND window = ::FindWindowA("iTunes", nullptr);
        if (window != nullptr && ::IsWindowVisible(window)) ::ShowWindow(window, SW_MINIMIZE);
    }
};

}  // namespace

void PlayerHost::releaseThreadConnection() {
    delete keptHere;
    keptHere = nullptr;
}

PlayerHost& platformPlayerHost() {
    static ComPlayerHost host;
    return host;
}

}  // namespace itunes
}  // namespace tavelapp
