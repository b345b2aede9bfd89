// The simulated player failing the way the player does (busy, a modal dialog,
// a full connection point) and firing events with their arguments, switched
// by its control commands and checked through raw COM from another process.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleauto.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SimPlayerControl.h"
#include "WinTestSupport.h"
#include "player/PlayerInterface.h"
#include "win/util/ComPtr.h"
#include "win/util/Handle.h"

using tavel::win::util::ComPtr;
using tavel::win::util::Handle;
namespace it = tavelapp::itunes;

namespace {

const CLSID kAppClassId = {0xDC0C2640, 0x1415, 0x4644, {0x87, 0x5C, 0x6F, 0x4D, 0x76, 0x98, 0x39, 0xBA}};
const IID kEventsId = {0x5846EB78, 0x317E, 0x4B6F, {0xB0, 0xC3, 0x11, 0xEE, 0x8C, 0x8F, 0xEE, 0xF2}};

HWND playerWindow() { return ::FindWindowW(L"iTunes", nullptr); }

Handle processOf(HWND window) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    return Handle(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
}

// Started as a user starts it (a server that COM starts may hide its window).
bool ensurePlayer() {
    if (playerWindow() != nullptr) return true;
    const std::wstring exe = moduleFolder() + L"\\simplayer.exe";
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return pumpUntil([] { return playerWindow() != nullptr; }, 15000);
}

HRESULT newApp(ComPtr<IDispatch>& app) {
    return ::CoCreateInstance(kAppClassId, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(app.put()));
}

// Owns one VARIANT.
struct Value {
    Value() { ::VariantInit(&v); }
    explicit Value(long n) : Value() {
        v.vt = VT_I4;
        v.lVal = n;
    }
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    ~Value() { ::VariantClear(&v); }
    VARIANT v;
};

HRESULT idOf(IDispatch* object, const wchar_t* name, DISPID& id) {
    std::wstring copy(name);
    LPOLESTR names[] = {&copy[0]};
    id = DISPID_UNKNOWN;
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

HRESULT invoke(IDispatch* object, const wchar_t* name, WORD flags, Value* arg = nullptr, Value* result = nullptr) {
    DISPID id = DISPID_UNKNOWN;
    const HRESULT found = idOf(object, name, id);
    if (FAILED(found)) return found;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {arg != nullptr ? &arg->v : nullptr, nullptr, arg != nullptr ? 1u : 0u, 0};
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result != nullptr ? &result->v : nullptr,
                          nullptr, nullptr);
}

HRESULT getLong(IDispatch* object, const wchar_t* name, long& out) {
    Value r;
    const HRESULT hr = invoke(object, name, DISPATCH_PROPERTYGET, nullptr, &r);
    out = r.v.vt == VT_I4 ? r.v.lVal : -1;
    return hr;
}

long longOf(IDispatch* object, const wchar_t* name) {
    long value = -1;
    EXPECT_EQ(S_OK, getLong(object, name, value)) << name;
    return value;
}

ComPtr<IDispatch> objectOf(IDispatch* object, const wchar_t* name, long index = 0) {
    Value i(index);
    Value r;
    EXPECT_EQ(S_OK, invoke(object, name, DISPATCH_PROPERTYGET, index != 0 ? &i : nullptr, &r)) << name;
    return r.v.vt == VT_DISPATCH ? ComPtr<IDispatch>(r.v.pdispVal) : ComPtr<IDispatch>();
}

// A client's event sink: keeps every call with copies of its arguments, first
// argument first.
class EventSink : public IDispatch {
public:
    struct Call {
        DISPID id;
        std::vector<std::unique_ptr<Value>> args;
    };

    EventSink() = default;
    EventSink(const EventSink&) = delete;
    EventSink& operator=(const EventSink&) = delete;
    virtual ~EventSink() { ::CoDisconnectObject(this, 0); }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IDispatch) || ::IsEqualIID(iid, kEventsId)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the test's stack
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        Call call{id, {}};
        for (UINT i = params != nullptr ? params->cArgs : 0; i > 0; --i) {
            call.args.push_back(std::make_unique<Value>());
            ::VariantCopy(&call.args.back()->v, &params->rgvarg[i - 1]);
        }
        calls.push_back(std::move(call));
        return S_OK;
    }

    // The first call of that event, waiting for it if need be; null if none came.
    const Call* waitFor(DISPID id, DWORD ms = 5000) {
        const Call* found = nullptr;
        pumpUntil(
            [&] {
                for (const Call& c : calls) {
                    if (c.id == id) found = &c;
                    if (found != nullptr) return true;
                }
                return false;
            },
            ms);
        return found;
    }

    std::deque<Call> calls;  // calls may come in while a test looks at one

private:
    ULONG refs_ = 0;
};

ComPtr<IConnectionPoint> eventsOf(IDispatch* app) {
    ComPtr<IConnectionPointContainer> container =
        ComPtr<IDispatch>(app).as<IConnectionPointContainer>(IID_IConnectionPointContainer);
    ComPtr<IConnectionPoint> point;
    if (container) container->FindConnectionPoint(kEventsId, point.put());
    return point;
}

// The rows of a database change's id array (objects by their four ids).
long objectRows(const VARIANT& ids) {
    if (ids.vt != (VT_ARRAY | VT_VARIANT) || ids.parray == nullptr || ::SafeArrayGetDim(ids.parray) != 2) return -1;
    LONG low = 0, high = -1, lowColumn = 0, highColumn = -1;
    ::SafeArrayGetLBound(ids.parray, 1, &low);
    ::SafeArrayGetUBound(ids.parray, 1, &high);
    ::SafeArrayGetLBound(ids.parray, 2, &lowColumn);
    ::SafeArrayGetUBound(ids.parray, 2, &highColumn);
    if (highColumn - lowColumn + 1 != 4) return -1;
    return high - low + 1;
}

long objectId(const VARIANT& ids, LONG row, LONG column) {
    LONG at[2] = {row, column};
    Value id;
    if (FAILED(::SafeArrayGetElement(ids.parray, at, &id.v)) || id.v.vt != VT_I4) return -1;
    return id.v.lVal;
}

class SimPlayerFailureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(0u, runSimPlayer(L"/regserver")); }

    static void TearDownTestSuite() {
        if (HWND window = playerWindow()) {
            Handle process = processOf(window);
            ::PostMessageW(window, WM_CLOSE, 0, 0);
            if (process && ::WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0) {
                ::TerminateProcess(process.get(), 1);
            }
        }
        runSimPlayer(L"/unregserver");
    }

    void SetUp() override {
        ASSERT_TRUE(ensurePlayer());
        ASSERT_EQ(S_OK, newApp(app_));
    }

    // Other tests meet a player that says yes again.
    void TearDown() override {
        if (playerWindow() == nullptr) return;
        EXPECT_TRUE(simPlayerControl(L"busy 0"));
        EXPECT_TRUE(simPlayerControl(L"modal off"));
        EXPECT_TRUE(simPlayerControl(L"refuse-advise off"));
    }

    ComPtr<IDispatch> app_;
};

TEST_F(SimPlayerFailureTest, ControlAnswersOnlyCommandsItUnderstands) {
    const struct {
        const wchar_t* command;
        bool understood;
    } cases[] = {
        {L"status", true},
        {L"  status ", true},
        {L"status now", false},
        {L"", false},
        {L"reboot", false},
        {L"busy 0", true},
        {L"busy", false},
        {L"busy -5", false},
        {L"busy 5s", false},
        {L"busy 99999999999", false},
        {L"modal off", true},
        {L"modal", false},
        {L"modal yes", false},
        {L"refuse-advise off", true},
        {L"refuse-advise 1", false},
        {L"fire", false},
        {L"fire nothing", false},
        {L"fire play now", false},
        {L"fire quitting 1", false},
        {L"fire com-calls-disabled 2", true},
        {L"fire volume-changed loud", false},
        {L"fire database-changed 1.2.3.4,5.6.7.8 -", true},
        {L"fire database-changed 1.2.3", false},
        {L"fire database-changed - - -", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.understood, simPlayerControl(c.command)) << testing::PrintToString(std::wstring(c.command));

    // Only data with the control tag is a command; a terminating NUL may come along.
    const HWND window = playerWindow();
    wchar_t status[] = L"status";
    COPYDATASTRUCT data = {0x4B59, sizeof(status) - sizeof(wchar_t), status};
    DWORD_PTR answer = 7;
    ASSERT_NE(0, ::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                                       &answer));
    EXPECT_EQ(0u, answer);
    data.dwData = 0x4B58;
    data.cbData = sizeof(status);
    ASSERT_NE(0, ::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                                       &answer));
    EXPECT_EQ(1u, answer);
}

TEST_F(SimPlayerFailureTest, BusyRejectsEveryInvokeUntilItsTimeIsUp) {
    ComPtr<IDispatch> playlist = objectOf(app_.get(), L"LibraryPlaylist");
    ComPtr<IDispatch> tracks = objectOf(playlist.get(), L"Tracks");
    ComPtr<IDispatch> track = objectOf(tracks.get(), L"Item", 1);
    ComPtr<IDispatch> source = objectOf(app_.get(), L"LibrarySource");
    ComPtr<IDispatch> playlists = objectOf(source.get(), L"Playlists");
    ComPtr<IDispatch> artwork = objectOf(track.get(), L"Artwork");
    ComPtr<IDispatch> browser = objectOf(app_.get(), L"BrowserWindow");
    ASSERT_TRUE(playlist && tracks && track && source && playlists && artwork && browser);
    const struct {
        IDispatch* object;
        const wchar_t* member;
        WORD flags;
    } calls[] = {
        {app_.get(), L"SoundVolume", DISPATCH_PROPERTYGET},   {app_.get(), L"Stop", DISPATCH_METHOD},
        {playlist.get(), L"Shuffle", DISPATCH_PROPERTYGET},   {tracks.get(), L"Count", DISPATCH_PROPERTYGET},
        {track.get(), L"Name", DISPATCH_PROPERTYGET},         {source.get(), L"Name", DISPATCH_PROPERTYGET},
        {playlists.get(), L"Count", DISPATCH_PROPERTYGET},    {artwork.get(), L"Count", DISPATCH_PROPERTYGET},
        {browser.get(), L"MiniPlayer", DISPATCH_PROPERTYGET},
    };
    const long volume = longOf(app_.get(), L"SoundVolume");

    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(simPlayerControl(L"busy 2000"));
    for (const auto& c : calls) {
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(S_OK, idOf(c.object, c.member, id)) << c.member;
        Value r;
        EXPECT_EQ(RPC_E_CALL_REJECTED, invoke(c.object, c.member, c.flags, nullptr, &r)) << c.member;
    }
    Value louder(volume == 100 ? 99L : volume + 1);
    EXPECT_EQ(RPC_E_CALL_REJECTED, invoke(app_.get(), L"SoundVolume", DISPATCH_PROPERTYPUT, &louder));

    long state = 0;
    EXPECT_TRUE(pumpUntil([&] { return getLong(app_.get(), L"PlayerState", state) == S_OK; }, 8000));
    EXPECT_GE(::GetTickCount() - start, 1900u);
    // The rejected put did nothing.
    EXPECT_EQ(volume, longOf(app_.get(), L"SoundVolume"));

    ASSERT_TRUE(simPlayerControl(L"busy 60000"));
    EXPECT_EQ(RPC_E_CALL_REJECTED, getLong(app_.get(), L"PlayerState", state));
    ASSERT_TRUE(simPlayerControl(L"busy 0"));
    EXPECT_EQ(S_OK, getLong(app_.get(), L"PlayerState", state));
}

TEST_F(SimPlayerFailureTest, ModalDialogFailsNewConnectionsOnly) {
    ASSERT_TRUE(simPlayerControl(L"modal on"));
    ComPtr<IDispatch> other;
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(CO_E_SERVER_EXEC_FAILURE, newApp(other));
    EXPECT_LT(::GetTickCount() - start, 3000u);
    EXPECT_FALSE(other);
    EXPECT_NE(nullptr, playerWindow());
    // What the client holds already keeps working.
    EXPECT_TRUE(objectOf(app_.get(), L"LibraryPlaylist"));

    ASSERT_TRUE(simPlayerControl(L"modal off"));
    EXPECT_EQ(S_OK, newApp(other));
    EXPECT_TRUE(other);
}

TEST_F(SimPlayerFailureTest, RefusedAdviseKeepsNoSink) {
    ComPtr<IConnectionPoint> point = eventsOf(app_.get());
    ASSERT_TRUE(point);
    EventSink refused, taken;
    DWORD cookie = 99;
    ASSERT_TRUE(simPlayerControl(L"refuse-advise on"));
    EXPECT_EQ(CONNECT_E_ADVISELIMIT, point->Advise(&refused, &cookie));
    EXPECT_EQ(0u, cookie);

    ASSERT_TRUE(simPlayerControl(L"refuse-advise off"));
    ASSERT_EQ(S_OK, point->Advise(&taken, &cookie));
    ASSERT_TRUE(simPlayerControl(L"fire com-calls-enabled"));
    // Events reach the sinks in one pass: the refused sink would have had it first.
    EXPECT_TRUE(taken.waitFor(it::DispCOMCallsEnabled));
    EXPECT_TRUE(refused.calls.empty());
    EXPECT_EQ(S_OK, point->Unadvise(cookie));
}

TEST_F(SimPlayerFailureTest, EventsReachSinksWithTheirArguments) {
    ComPtr<IConnectionPoint> point = eventsOf(app_.get());
    ASSERT_TRUE(point);
    EventSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
    ComPtr<IDispatch> first =
        objectOf(objectOf(objectOf(app_.get(), L"LibraryPlaylist").get(), L"Tracks").get(), L"Item", 1);
    ASSERT_TRUE(first);
    ASSERT_EQ(S_OK, invoke(first.get(), L"Play", DISPATCH_METHOD));
    Value volume(37L);
    ASSERT_EQ(S_OK, invoke(app_.get(), L"SoundVolume", DISPATCH_PROPERTYPUT, &volume));
    // Events come in order: once this one is in, none of the above is on its way.
    ASSERT_NE(nullptr, sink.waitFor(it::DispSoundVolumeChanged));

    auto control = [](const wchar_t* command) { return [command] { ASSERT_TRUE(simPlayerControl(command)); }; };
    auto call = [this](const wchar_t* member, long value = -1) {
        return [this, member, value] {
            Value v(value);
            ASSERT_EQ(S_OK, invoke(app_.get(), member, value >= 0 ? DISPATCH_PROPERTYPUT : DISPATCH_METHOD,
                                   value >= 0 ? &v : nullptr));
        };
    };
    auto rateCurrent = [this] {
        ComPtr<IDispatch> current = objectOf(app_.get(), L"CurrentTrack");
        ASSERT_TRUE(current);
        Value rating(longOf(current.get(), L"Rating") == 60 ? 80L : 60L);
        ASSERT_EQ(S_OK, invoke(current.get(), L"Rating", DISPATCH_PROPERTYPUT, &rating));
    };
    auto isCurrentTrack = [this](const EventSink::Call& c) {
        ComPtr<IDispatch> current = objectOf(app_.get(), L"CurrentTrack");
        ASSERT_TRUE(current);
        ASSERT_NE(nullptr, c.args[0]->v.pdispVal);
        EXPECT_EQ(longOf(current.get(), L"TrackID"), longOf(c.args[0]->v.pdispVal, L"TrackID"));
    };
    auto isNumber = [](long n) { return [n](const EventSink::Call& c) { EXPECT_EQ(n, c.args[0]->v.lVal); }; };
    auto noObjects = [](const EventSink::Call& c) {
        EXPECT_EQ(0, objectRows(c.args[0]->v));
        EXPECT_EQ(0, objectRows(c.args[1]->v));
    };
    const VARTYPE ids = VT_ARRAY | VT_VARIANT;
    const struct {
        const char* what;
        std::function<void()> trigger;
        DISPID id;
        std::vector<VARTYPE> types;
        std::function<void(const EventSink::Call&)> check;
    } cases[] = {
        {"database changed", control(L"fire database-changed"), it::DispDatabaseChanged, {ids, ids}, noObjects},
        {"database changed, deleted objects first",
         control(L"fire database-changed 1.2.3.4,5.6.7.8 -"),
         it::DispDatabaseChanged,
         {ids, ids},
         [](const EventSink::Call& c) {
             ASSERT_EQ(2, objectRows(c.args[0]->v));
             EXPECT_EQ(7, objectId(c.args[0]->v, 1, 2));
             EXPECT_EQ(0, objectRows(c.args[1]->v));
         }},
        {"play", control(L"fire play"), it::DispPlayerPlay, {VT_DISPATCH}, isCurrentTrack},
        {"stop", control(L"fire stop"), it::DispPlayerStop, {VT_DISPATCH}, isCurrentTrack},
        {"track changed", control(L"fire track-changed"), it::DispPlayingTrackChanged, {VT_DISPATCH}, isCurrentTrack},
        {"calls disabled", control(L"fire com-calls-disabled"), it::DispCOMCallsDisabled, {VT_I4}, isNumber(0)},
        {"calls disabled, reason",
         control(L"fire com-calls-disabled 2"),
         it::DispCOMCallsDisabled,
         {VT_I4},
         isNumber(2)},
        {"calls enabled", control(L"fire com-calls-enabled"), it::DispCOMCallsEnabled, {}, nullptr},
        {"quitting", control(L"fire quitting"), it::DispQuitting, {}, nullptr},
        {"about to prompt",
         control(L"fire about-to-prompt-user-to-quit"),
         it::DispAboutToPromptUserToQuit,
         {},
         nullptr},
        {"volume", control(L"fire volume-changed"), it::DispSoundVolumeChanged, {VT_I4}, isNumber(37)},
        {"volume given", control(L"fire volume-changed 80"), it::DispSoundVolumeChanged, {VT_I4}, isNumber(80)},
        // The model's own events carry the same.
        {"model: volume", call(L"SoundVolume", 41), it::DispSoundVolumeChanged, {VT_I4}, isNumber(41)},
        {"model: next track", call(L"NextTrack"), it::DispPlayerPlay, {VT_DISPATCH}, isCurrentTrack},
        {"model: playing track rated", rateCurrent, it::DispPlayingTrackChanged, {VT_DISPATCH}, isCurrentTrack},
        {"model: stop", call(L"Stop"), it::DispPlayerStop, {VT_DISPATCH}, isCurrentTrack},
        {"model: play", call(L"Play"), it::DispPlayerPlay, {VT_DISPATCH}, isCurrentTrack},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sink.calls.clear();
        c.trigger();
        const EventSink::Call* fired = sink.waitFor(c.id);
        ASSERT_NE(nullptr, fired);
        std::vector<VARTYPE> types;
        for (const auto& arg : fired->args)
            types.push_back(arg->v.vt);
        EXPECT_EQ(c.types, types);
        if (c.check && types == c.types) c.check(*fired);
    }
    // Telling the sinks of a quit is not quitting.
    EXPECT_NE(nullptr, playerWindow());
    EXPECT_EQ(S_OK, invoke(app_.get(), L"Stop", DISPATCH_METHOD));
    EXPECT_EQ(S_OK, point->Unadvise(cookie));
}

TEST_F(SimPlayerFailureTest, QuitsNormallyWhateverItRefuses) {
    const struct {
        const char* what;
        std::vector<const wchar_t*> modes;
        bool byCom;
    } cases[] = {
        {"modal, full, quit by COM", {L"modal on", L"refuse-advise on"}, true},
        {"busy and modal, window closed", {L"busy 60000", L"modal on"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(ensurePlayer());
        ComPtr<IDispatch> app;
        ASSERT_EQ(S_OK, newApp(app));
        for (const wchar_t* mode : c.modes)
            ASSERT_TRUE(simPlayerControl(mode));
        Handle process = processOf(playerWindow());
        ASSERT_TRUE(process);
        if (c.byCom) {
            EXPECT_EQ(S_OK, invoke(app.get(), L"Quit", DISPATCH_METHOD));
        } else {
            ::PostMessageW(playerWindow(), WM_CLOSE, 0, 0);
        }
        EXPECT_TRUE(pumpUntil([&] { return ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0; }, 10000));
        DWORD code = 1;
        ::GetExitCodeProcess(process.get(), &code);
        EXPECT_EQ(0u, code);
        EXPECT_EQ(nullptr, playerWindow());
    }
}

}  // namespace
