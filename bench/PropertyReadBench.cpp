// Cost of one property read through the COM client: against the player model
// served in-process, and against simplayer.exe across processes; each with and
// without the DISPID cache. Prints figures; asserts nothing about time.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <memory>
#include <string>

#include "AppObject.h"
#include "DispatchObject.h"
#include "EventHub.h"
#include "player/com/ComPlayer.h"
#include "player/com/Dispatch.h"
#include "player/com/ITunesCom.h"
#include "player/model/PlayerModel.h"
#include "win/file/FileSystem.h"

using namespace tavelapp;

namespace {

std::wstring folderOfThisProgram() {
    wchar_t buffer[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, n);
    return path.substr(0, path.find_last_of(L'\\'));
}

double microsecondsPerRead(itunes::App& app, int reads) {
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    long sum = 0;
    for (int i = 0; i < reads; ++i)
        sum += app.soundVolume();
    ::QueryPerformanceCounter(&end);
    if (sum < 0) std::printf("impossible\n");
    return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart) / reads;
}

void measure(const char* where, itunes::App& app, int reads) {
    for (bool cached : {true, false}) {
        itunes::Dispatch::setCacheEnabled(cached);
        microsecondsPerRead(app, reads / 10);  // warm up
        const long lookupsBefore = itunes::Dispatch::lookupCount();
        const double us = microsecondsPerRead(app, reads);
        const double lookups = static_cast<double>(itunes::Dispatch::lookupCount() - lookupsBefore) / reads;
        std::printf("%-28s %-16s %9.2f us per read  (%.2f name look-ups per read, %d reads)\n", where,
                    cached ? "DISPID cached" : "no cache", us, lookups, reads);
    }
    itunes::Dispatch::setCacheEnabled(true);
}

}  // namespace

int wmain() {
    ::CoInitialize(nullptr);
    const std::wstring folder = folderOfThisProgram();

    std::string bytes;
    if (!tavel::win::file::readFileBytes(folder + L"\\iTunes Music Library.xml", bytes, tavel::win::file::kAnySize)) {
        std::printf("library fixture not found beside the benchmark\n");
        return 1;
    }
    {
        auto model = itunes::model::PlayerModel::create(itunes::model::parseLibraryXml(bytes));
        auto object = simplayer::makeObject<simplayer::AppObject>(model, std::make_shared<simplayer::EventHub>());
        tavel::win::util::ComPtr<IDispatch> dispatch(static_cast<IDispatch*>(object.get()));
        std::shared_ptr<itunes::App> app = itunes::makeComApp(dispatch);
        measure("in-process model", *app, 200000);
    }
    {
        ITunesCom com;
        if (!com.connect()) {
            std::printf("simplayer.exe could not be started (run simplayer.exe /regserver first)\n");
            return 1;
        }
        measure("simplayer.exe (out of proc)", *com.app(), 2000);
        com.app()->quit();
    }
    ::CoUninitialize();
    return 0;
}
