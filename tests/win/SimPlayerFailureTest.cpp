// The simulated player failing the way the player does (busy, a modal dialog,
// a full connection point) and firing events with their arguments, switched by
// its control commands and checked through raw COM from another process.
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

// Started as a user starts it (a server that COM starts may hide its window).
bool ensurePlayer() {
    if (playerWindow() == nullptr) {
        std::wstring line = L"\"" + moduleFolder() + L"\\simplayer.exe\"";
        STARTUPINFOW si{sizeof(si)};
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    return pumpUntil([] { return playerWindow() != nullptr; }, 15000);
}

// The player's exit code once `end` made it go; 999 (and killed) if it stays.
DWORD exitCodeAfter(const std::function<void()>& end) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(playerWindow(), &id);
    Handle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    end();
    DWORD code = 999;
    if (!pumpUntil([&] { return ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0; }, 10000)) {
        ::TerminateProcess(process.get(), 1);
    } else {
        ::GetExitCodeProcess(process.get(), &code);
    }
    return code;
}

HRESULT newApp(ComPtr<IDispatch>& app) {
    return ::CoCreateInstance(kAppClassId, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(app.put()));
}

struct Value {
    explicit Value(long n = 0, VARTYPE type = VT_EMPTY) {
        ::VariantInit(&v);
        v.vt = type;
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
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

// One late-bound call; `arg` is its only argument (a put's value).
HRESULT invoke(IDispatch* object, const wchar_t* name, WORD flags, Value* arg = nullptr, Value* result = nullptr) {
    DISPID id = DISPID_UNKNOWN, put = DISPID_PROPERTYPUT;
    const HRESULT found = idOf(object, name, id);
    if (FAILED(found)) return found;
    const UINT named = flags == DISPATCH_PROPERTYPUT ? 1 : 0;
    DISPPARAMS params = {arg ? &arg->v : nullptr, &put, arg ? 1u : 0u, named};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result ? &result->v : nullptr, nullptr,
                          nullptr);
}

long longOf(IDispatch* object, const wchar_t* name) {
    Value r;
    EXPECT_EQ(S_OK, invoke(object, name, DISPATCH_PROPERTYGET, nullptr, &r)) << name;
    return r.v.vt == VT_I4 ? r.v.lVal : -1;
}

ComPtr<IDispatch> objectOf(IDispatch* object, const wchar_t* name, long index = 0) {
    Value i(index, VT_I4), r;
    EXPECT_EQ(S_OK, invoke(object, name, DISPATCH_PROPERTYGET, index != 0 ? &i : nullptr, &r)) << name;
    return r.v.vt == VT_DISPATCH ? ComPtr<IDispatch>(r.v.pdispVal) : ComPtr<IDispatch>();
}

// A client's sink: keeps every call with copies of its arguments, first first.
class EventSink : public IDispatch {
public:
    struct Call {
        DISPID id;
        std::vector<std::unique_ptr<Value>> args;
    };
    std::deque<Call> calls;  // more may come in while a test looks at one

    virtual ~EventSink() { ::CoDisconnectObject(this, 0); }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        const bool known =
            ::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IDispatch) || ::IsEqualIID(iid, kEventsId);
        *out = known ? static_cast<IDispatch*>(this) : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // lives on the test's stack
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        calls.push_back(Call{id, {}});
        for (UINT i = params != nullptr ? params->cArgs : 0; i > 0; --i) {
            calls.back().args.push_back(std::make_unique<Value>());
            ::VariantCopy(&calls.back().args.back()->v, &params->rgvarg[i - 1]);
        }
        return S_OK;
    }

    // The first call of that event, once it came; null if it did not.
    const Call* waitFor(DISPID id) {
        const Call* found = nullptr;
        pumpUntil(
            [&] {
                for (const Call& c : calls)
                    found = found != nullptr ? found : (c.id == id ? &c : nullptr);
                return found != nullptr;
            },
            5000);
        return found;
    }
};

ComPtr<IConnectionPoint> eventsOf(IDispatch* app) {
    ComPtr<IConnectionPoint> point;
    auto container = ComPtr<IDispatch>(app).as<IConnectionPointContainer>(IID_IConnectionPointContainer);
    if (container) container->FindConnectionPoint(kEventsId, point.put());
    return point;
}

// The objects of a database change's id array (a row of four ids each); -1 when it is none.
long objectRows(const VARIANT& ids) {
    LONG rows = -1, columns = -1;
    if (ids.vt != (VT_ARRAY | VT_VARIANT) || ::SafeArrayGetDim(ids.parray) != 2) return -1;
    ::SafeArrayGetUBound(ids.parray, 1, &rows);
    ::SafeArrayGetUBound(ids.parray, 2, &columns);
    return columns == 3 ? rows + 1 : -1;
}

class SimPlayerFailureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(0u, runSimPlayer(L"/regserver")); }
    static void TearDownTestSuite() {
        if (playerWindow() != nullptr) exitCodeAfter([] { ::PostMessageW(playerWindow(), WM_CLOSE, 0, 0); });
        runSimPlayer(L"/unregserver");
    }
    void SetUp() override {
        ASSERT_TRUE(ensurePlayer());
        ASSERT_EQ(S_OK, newApp(app_));
    }
    // Other tests meet a player that says yes again.
    void TearDown() override {
        if (playerWindow() == nullptr) return;
        for (const wchar_t* reset : {L"busy 0", L"modal off", L"refuse-advise off"})
            EXPECT_TRUE(simPlayerControl(reset));
    }

    ComPtr<IDispatch> app_;
};

TEST_F(SimPlayerFailureTest, ControlAnswersOnlyCommandsItUnderstands) {
    for (const wchar_t* command : {L"status", L" status ", L"busy 0", L"modal off", L"refuse-advise off",
                                   L"fire com-calls-disabled 2", L"fire database-changed 1.2.3.4,5.6.7.8 -"}) {
        EXPECT_TRUE(simPlayerControl(command)) << testing::PrintToString(std::wstring(command));
    }
    for (const wchar_t* command :
         {L"", L"status now", L"reboot", L"busy", L"busy -5", L"busy 5s", L"busy 99999999999", L"modal", L"modal yes",
          L"refuse-advise 1", L"fire", L"fire nothing", L"fire play now", L"fire quitting 1",
          L"fire volume-changed loud", L"fire database-changed 1.2.3", L"fire database-changed - - -"}) {
        EXPECT_FALSE(simPlayerControl(command)) << testing::PrintToString(std::wstring(command));
    }
    // Only data with the control tag is a command; a terminating NUL may come along.
    wchar_t status[] = L"status";
    for (const auto& c : {std::make_pair(0x4B59, 0u), std::make_pair(0x4B58, 1u)}) {
        COPYDATASTRUCT data = {static_cast<ULONG_PTR>(c.first), sizeof(status), status};
        DWORD_PTR answer = 7;
        ASSERT_NE(0, ::SendMessageTimeoutW(playerWindow(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                           SMTO_ABORTIFHUNG, 5000, &answer));
        EXPECT_EQ(c.second, answer);
    }
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
    } calls[] = {{app_.get(), L"SoundVolume", DISPATCH_PROPERTYGET},  {app_.get(), L"Stop", DISPATCH_METHOD},
                 {playlist.get(), L"Shuffle", DISPATCH_PROPERTYGET},  {tracks.get(), L"Count", DISPATCH_PROPERTYGET},
                 {track.get(), L"Name", DISPATCH_PROPERTYGET},        {source.get(), L"Name", DISPATCH_PROPERTYGET},
                 {playlists.get(), L"Count", DISPATCH_PROPERTYGET},   {artwork.get(), L"Count", DISPATCH_PROPERTYGET},
                 {browser.get(), L"MiniPlayer", DISPATCH_PROPERTYGET}};
    const long volume = longOf(app_.get(), L"SoundVolume");

    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(simPlayerControl(L"busy 2000"));
    for (const auto& c : calls) {
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(S_OK, idOf(c.object, c.member, id)) << c.member;
        Value r;
        EXPECT_EQ(RPC_E_CALL_REJECTED, invoke(c.object, c.member, c.flags, nullptr, &r)) << c.member;
    }
    Value louder(volume == 100 ? 99 : volume + 1, VT_I4);
    EXPECT_EQ(RPC_E_CALL_REJECTED, invoke(app_.get(), L"SoundVolume", DISPATCH_PROPERTYPUT, &louder));

    auto answers = [&] {
        Value r;
        return invoke(app_.get(), L"PlayerState", DISPATCH_PROPERTYGET, nullptr, &r) == S_OK;
    };
    EXPECT_TRUE(pumpUntil(answers, 8000));
    EXPECT_GE(::GetTickCount() - start, 1900u);
    EXPECT_EQ(volume, longOf(app_.get(), L"SoundVolume"));  // the rejected put did nothing

    ASSERT_TRUE(simPlayerControl(L"busy 60000"));
    EXPECT_FALSE(answers());
    ASSERT_TRUE(simPlayerControl(L"busy 0"));
    EXPECT_TRUE(answers());
}

TEST_F(SimPlayerFailureTest, ModalDialogFailsNewConnectionsOnly) {
    ASSERT_TRUE(simPlayerControl(L"modal on"));
    ComPtr<IDispatch> other;
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(CO_E_SERVER_EXEC_FAILURE, newApp(other));
    EXPECT_LT(::GetTickCount() - start, 3000u);
    EXPECT_NE(nullptr, playerWindow());
    EXPECT_TRUE(objectOf(app_.get(), L"LibraryPlaylist"));  // what a client holds keeps working

    ASSERT_TRUE(simPlayerControl(L"modal off"));
    EXPECT_EQ(S_OK, newApp(other));
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
    // One pass reaches every sink, and the refused one would come first.
    EXPECT_TRUE(taken.waitFor(it::DispCOMCallsEnabled));
    EXPECT_TRUE(refused.calls.empty());
    EXPECT_EQ(S_OK, point->Unadvise(cookie));
}

TEST_F(SimPlayerFailureTest, EventsReachSinksWithTheirArguments) {
    ComPtr<IConnectionPoint> point = eventsOf(app_.get());
    EventSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
    ComPtr<IDispatch> tracks = objectOf(objectOf(app_.get(), L"LibraryPlaylist").get(), L"Tracks");
    ASSERT_EQ(S_OK, invoke(objectOf(tracks.get(), L"Item", 1).get(), L"Play", DISPATCH_METHOD));
    Value volume(37, VT_I4);
    ASSERT_EQ(S_OK, invoke(app_.get(), L"SoundVolume", DISPATCH_PROPERTYPUT, &volume));
    // Events come in order: once this one is in, none of the above is on its way.
    ASSERT_NE(nullptr, sink.waitFor(it::DispSoundVolumeChanged));

    using Check = std::function<void(const EventSink::Call&)>;
    auto control = [](const wchar_t* command) { return [command] { ASSERT_TRUE(simPlayerControl(command)); }; };
    auto call = [this](const wchar_t* member, WORD flags = DISPATCH_METHOD, IDispatch* object = nullptr) {
        return [=, this] {
            IDispatch* target = object ? object : app_.get();
            const bool put = flags == DISPATCH_PROPERTYPUT;
            Value changed(put && longOf(target, member) == 60 ? 80 : 60, VT_I4);
            ASSERT_EQ(S_OK, invoke(target, member, flags, put ? &changed : nullptr));
        };
    };
    auto isCurrentTrack = [this](const EventSink::Call& c) {
        ComPtr<IDispatch> current = objectOf(app_.get(), L"CurrentTrack");
        ASSERT_TRUE(current && c.args[0]->v.pdispVal);
        EXPECT_EQ(longOf(current.get(), L"TrackID"), longOf(c.args[0]->v.pdispVal, L"TrackID"));
    };
    auto isNumber = [](long n) -> Check { return [n](const EventSink::Call& c) { EXPECT_EQ(n, c.args[0]->v.lVal); }; };
    auto isVolume = [this](const EventSink::Call& c) {
        EXPECT_EQ(longOf(app_.get(), L"SoundVolume"), c.args[0]->v.lVal);
    };
    auto hasObjects = [](long deleted, long changed) -> Check {
        return [=](const EventSink::Call& c) {
            EXPECT_EQ(deleted, objectRows(c.args[0]->v));
            EXPECT_EQ(changed, objectRows(c.args[1]->v));
        };
    };
    const VARTYPE ids = VT_ARRAY | VT_VARIANT;
    ComPtr<IDispatch> current = objectOf(app_.get(), L"CurrentTrack");
    const struct {
        const char* what;
        std::function<void()> trigger;
        DISPID id;
        std::vector<VARTYPE> types;
        Check check;
    } cases[] = {
        {"database", control(L"fire database-changed"), it::DispDatabaseChanged, {ids, ids}, hasObjects(0, 0)},
        {"database, deleted first",
         control(L"fire database-changed 1.2.3.4,5.6.7.8 -"),
         it::DispDatabaseChanged,
         {ids, ids},
         [&](const EventSink::Call& c) {
             hasObjects(2, 0)(c);
             LONG secondTrack[2] = {1, 2};
             Value id;
             ::SafeArrayGetElement(c.args[0]->v.parray, secondTrack, &id.v);
             EXPECT_EQ(7, id.v.lVal);
         }},
        {"play", control(L"fire play"), it::DispPlayerPlay, {VT_DISPATCH}, isCurrentTrack},
        {"stop", control(L"fire stop"), it::DispPlayerStop, {VT_DISPATCH}, isCurrentTrack},
        {"track", control(L"fire track-changed"), it::DispPlayingTrackChanged, {VT_DISPATCH}, isCurrentTrack},
        {"disabled", control(L"fire com-calls-disabled"), it::DispCOMCallsDisabled, {VT_I4}, isNumber(0)},
        {"disabled, why", control(L"fire com-calls-disabled 2"), it::DispCOMCallsDisabled, {VT_I4}, isNumber(2)},
        {"enabled", control(L"fire com-calls-enabled"), it::DispCOMCallsEnabled, {}, nullptr},
        {"quitting", control(L"fire quitting"), it::DispQuitting, {}, nullptr},
        {"prompt", control(L"fire about-to-prompt-user-to-quit"), it::DispAboutToPromptUserToQuit, {}, nullptr},
        {"volume", control(L"fire volume-changed"), it::DispSoundVolumeChanged, {VT_I4}, isNumber(37)},
        {"volume given", control(L"fire volume-changed 80"), it::DispSoundVolumeChanged, {VT_I4}, isNumber(80)},
        // The model's own events carry the same.
        {"model volume", call(L"SoundVolume", DISPATCH_PROPERTYPUT), it::DispSoundVolumeChanged, {VT_I4}, isVolume},
        {"model rating",
         call(L"Rating", DISPATCH_PROPERTYPUT, current.get()),
         it::DispPlayingTrackChanged,
         {VT_DISPATCH},
         isCurrentTrack},
        {"model next", call(L"NextTrack"), it::DispPlayerPlay, {VT_DISPATCH}, isCurrentTrack},
        {"model stop", call(L"Stop"), it::DispPlayerStop, {VT_DISPATCH}, isCurrentTrack},
        {"model play", call(L"Play"), it::DispPlayerPlay, {VT_DISPATCH}, isCurrentTrack}};
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
    EXPECT_NE(nullptr, playerWindow());  // telling the sinks of a quit is not quitting
    EXPECT_EQ(S_OK, invoke(app_.get(), L"Stop", DISPATCH_METHOD));
    EXPECT_EQ(S_OK, point->Unadvise(cookie));
}

TEST_F(SimPlayerFailureTest, QuitsNormallyWhateverItRefuses) {
    const struct {
        std::vector<const wchar_t*> modes;
        bool byCom;
    } cases[] = {{{L"modal on", L"refuse-advise on"}, true}, {{L"busy 60000", L"modal on"}, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.modes[0])));
        ASSERT_TRUE(ensurePlayer());
        ComPtr<IDispatch> app;
        ASSERT_EQ(S_OK, newApp(app));
        for (const wchar_t* mode : c.modes)
            ASSERT_TRUE(simPlayerControl(mode));
        auto quit = [&] {
            if (c.byCom) {
                EXPECT_EQ(S_OK, invoke(app.get(), L"Quit", DISPATCH_METHOD));
            } else {
                ::PostMessageW(playerWindow(), WM_CLOSE, 0, 0);
            }
        };
        EXPECT_EQ(0u, exitCodeAfter(quit));
        EXPECT_EQ(nullptr, playerWindow());
    }
}

}  // namespace
