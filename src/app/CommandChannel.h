#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "app/CommandRequest.h"

namespace tavelapp {

// A second start's command line, handed to the running copy's application
// window with WM_COPYDATA, and that window's side of it.
class CommandChannel {
public:
    // What the running copy does with a valid request; answers an exit code.
    class CommandChannelListener {
    public:
        virtual int onCommandRequest(const CommandRequest& request) = 0;

    protected:
        ~CommandChannelListener() = default;
    };

    // How long a second start waits: for the window of a copy that is
    // starting, and for the answer of a copy that is busy.
    static const unsigned int kWindowWaitMs = 5000;
    static const unsigned int kAnswerWaitMs = 5000;

    // The process's arguments after the program's name, split as Windows does.
    static std::vector<std::wstring> arguments();
    // Carries out what parse() found (help, a request, bad usage) and returns
    // the process's exit code. Never starts the program.
    static int run(CommandRequest::Parsed parsed, const CommandRequest& request);
    // Hands the request to the running copy; its answer is the exit code.
    static int send(const CommandRequest& request);

    // Marks the window of the copy that holds the single-instance mutex: a
    // second start talks to it, never to a copy started with "-f".
    static void markTarget(HWND window);
    static void unmarkTarget(HWND window);

    // The application window's WM_COPYDATA: validates the payload, then asks
    // the listener. Returns the answer (kAnswerMark plus the exit code).
    static LRESULT receive(const COPYDATASTRUCT* data, CommandChannelListener& listener);
};

}  // namespace tavelapp
