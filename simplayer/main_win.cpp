// The simulated player: serves the in-memory player model over COM as the
// player's out-of-process automation server, with the player's window.
//
//   simplayer.exe [/library <file>]   run (the default library file is
//                                     "iTunes Music Library.xml" beside the program)
//   simplayer.exe /regserver          register as the player, then exit
//   simplayer.exe /unregserver        remove that registration, then exit
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "BusyMessageFilter.h"
#include "ClassFactory.h"
#include "DispatchObject.h"
#include "EventHub.h"
#include "LibraryFile.h"
#include "PlayerIds.h"
#include "ServerRegistration.h"
#include "ServerWindow.h"
#include "player/model/PlayerModel.h"

namespace {

using namespace simplayer;

struct Options {
    bool registerServer = false;
    bool unregisterServer = false;
    std::wstring library;
};

bool isSwitch(const std::wstring& arg, const wchar_t* name) {
    return arg.size() > 1 && (arg[0] == L'/' || arg[0] == L'-') && ::lstrcmpiW(arg.c_str() + 1, name) == 0;
}

Options parseOptions() {
    Options options;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (argv == nullptr) return options;
    std::vector<std::wstring> args(argv + 1, argv + count);
    ::LocalFree(argv);
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (isSwitch(args[i], L"regserver")) {
            options.registerServer = true;
        } else if (isSwitch(args[i], L"unregserver")) {
            options.unregisterServer = true;
        } else if (isSwitch(args[i], L"library") && i + 1 < args.size()) {
            options.library = args[++i];
        }
        // Anything else, such as COM's "-Embedding", changes nothing.
    }
    return options;
}

std::wstring programPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring fullPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = ::GetFullPathNameW(path.c_str(), MAX_PATH * 4, buffer, nullptr);
    return n > 0 && n < MAX_PATH * 4 ? std::wstring(buffer, n) : path;
}

int runPlayer(const Options& options) {
    const std::wstring exe = programPath();
    const std::wstring libraryPath = options.library.empty()
                                         ? exe.substr(0, exe.find_last_of(L'\\') + 1) + L"iTunes Music Library.xml"
                                         : fullPath(options.library);
    tavelapp::itunes::model::Library library;
    std::wstring note;
    if (!loadLibraryFile(libraryPath, library)) note = L"No library: " + libraryPath;

    auto model = tavelapp::itunes::model::PlayerModel::create(std::move(library));
    auto hub = std::make_shared<EventHub>(model->app());
    model->addListener(hub.get());

    // Without it the player is still busy for its clients (every object
    // rejects Invoke itself); with it COM may turn the calls away first.
    auto filter = makeObject<BusyMessageFilter>();
    BusyMessageFilter::Registration filtering;
    filtering.add(filter.get());

    auto factory = makeObject<ClassFactory>(model, hub);
    ClassFactory::Registration registration;
    int exitCode = 0;
    {
        // The class object comes first: a client that sees the window must be
        // able to connect, or COM would start a second server for it.
        ServerWindow window(model, hub, note, [&registration] { registration.revoke(); });
        if (FAILED(registration.add(factory.get()))) {
            exitCode = 2;
        } else if (!window.open()) {
            exitCode = 1;
        } else {
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
    registration.revoke();
    filtering.revoke();
    model->removeListener(hub.get());
    return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        const Options options = parseOptions();
        if (options.registerServer) return ServerRegistration::install(programPath()) ? 0 : 1;
        if (options.unregisterServer) return ServerRegistration::uninstall(programPath()) ? 0 : 1;
        // One player at a time.
        if (::FindWindowW(kWindowClass, nullptr) != nullptr) return 0;
        if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
        const int exitCode = runPlayer(options);
        ::CoUninitialize();
        return exitCode;
    } catch (...) {
        return 4;
    }
}
