// The simulated player, driven from outside as the program drives the player:
// a separate process reached by out-of-process COM through raw IDispatch calls.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleauto.h>

#include <functional>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "player/PlayerInterface.h"
#include "player/model/Library.h"
#include "win/file/FileSystem.h"
#include "win/util/ComPtr.h"
#include "win/util/Handle.h"

using tavel::win::util::ComPtr;
using tavel::win::util::Handle;
using tavelapp::itunes::model::Library;

namespace {

const CLSID kAppClassId = {0xDC0C2640, 0x1415, 0x4644, {0x87, 0x5C, 0x6F, 0x4D, 0x76, 0x98, 0x39, 0xBA}};
const IID kEventsId = {0x5846EB78, 0x317E, 0x4B6F, {0xB0, 0xC3, 0x11, 0xEE, 0x8C, 0x8F, 0xEE, 0xF2}};
const wchar_t kAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iTunes.exe";
const wchar_t kServerKey[] = L"CLSID\\{DC0C2640-1415-4644-875C-6F4D769839BA}\\LocalServer32";

std::wstring playerExe() { return moduleFolder() + L"\\simplayer.exe"; }

Handle startPlayer(const std::wstring& arguments) {
    const std::wstring exe = playerExe();
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return Handle();
    }
    ::CloseHandle(pi.hThread);
    return Handle(pi.hProcess);
}

// The exit code, or 999 when it did not end in time.
DWORD runPlayer(const std::wstring& arguments) {
    Handle process = startPlayer(arguments);
    if (!process || ::WaitForSingleObject(process.get(), 15000) != WAIT_OBJECT_0) return 999;
    DWORD code = 998;
    ::GetExitCodeProcess(process.get(), &code);
    return code;
}

HWND playerWindow() { return ::FindWindowA("iTunes", nullptr); }

Handle processOf(HWND window) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    return Handle(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
}

std::wstring registryText(HKEY root, const wchar_t* path) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    if (::RegGetValueW(root, path, nullptr, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS) return L"";
    return buffer;
}

Library fixtureLibrary() {
    std::string bytes;
    tavel::win::file::readFileBytes(moduleFolder() + L"\\iTunes Music Library.xml", bytes);
    return tavelapp::itunes::model::parseLibraryXml(bytes);
}

// Owns one VARIANT.
struct Value {
    Value() { ::VariantInit(&v); }
    explicit Value(long n) : Value() {
        v.vt = VT_I4;
        v.lVal = n;
    }
    explicit Value(bool b) : Value() {
        v.vt = VT_BOOL;
        v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    }
    explicit Value(const wchar_t* text) : Value() {
        v.vt = VT_BSTR;
        v.bstrVal = ::SysAllocString(text);
    }
    explicit Value(IDispatch* object) : Value() {
        v.vt = VT_DISPATCH;
        v.pdispVal = object;
        if (object != nullptr) object->AddRef();
    }
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    ~Value() { ::VariantClear(&v); }
    VARIANT v;
};

DISPID idOf(IDispatch* object, const wchar_t* name) {
    std::wstring copy(name);
    LPOLESTR names[] = {&copy[0]};
    DISPID id = DISPID_UNKNOWN;
    object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

// One late-bound call; args in call order.
HRESULT invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Value*> args = {},
               Value* result = nullptr) {
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back((*it)->v);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    return object->Invoke(idOf(object, name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                          result != nullptr ? &result->v : nullptr, nullptr, nullptr);
}

HRESULT callMethod(IDispatch* object, const wchar_t* name, std::vector<Value*> args = {}, Value* result = nullptr) {
    return invoke(object, name, DISPATCH_METHOD, std::move(args), result);
}

HRESULT put(IDispatch* object, const wchar_t* name, Value&& value) {
    return invoke(object, name, DISPATCH_PROPERTYPUT, {&value});
}

long getLong(IDispatch* object, const wchar_t* name) {
    Value r;
    EXPECT_EQ(S_OK, invoke(object, name, DISPATCH_PROPERTYGET, {}, &r)) << name;
    EXPECT_EQ(VT_I4, r.v.vt) << name;
    return r.v.vt == VT_I4 ? r.v.lVal : -1;
}

bool getBool(IDispatch* object, const wchar_t* name) {
    Value r;
    EXPECT_EQ(S_OK, invoke(object, name, DISPATCH_PROPERTYGET, {}, &r)) << name;
    EXPECT_EQ(VT_BOOL, r.v.vt) << name;
    return r.v.vt == VT_BOOL && r.v.boolVal != VARIANT_FALSE;
}

std::wstring getString(IDispatch* object, const wchar_t* name) {
    Value r;
    EXPECT_EQ(S_OK, invoke(object, name, DISPATCH_PROPERTYGET, {}, &r)) << name;
    EXPECT_EQ(VT_BSTR, r.v.vt) << name;
    return r.v.vt == VT_BSTR && r.v.bstrVal != nullptr ? std::wstring(r.v.bstrVal) : std::wstring();
}

// A VT_DISPATCH result; null when the member gave no object.
ComPtr<IDispatch> getObject(IDispatch* object, const wchar_t* name, std::vector<Value*> args = {}) {
    Value r;
    EXPECT_EQ(S_OK, invoke(object, name, DISPATCH_PROPERTYGET, std::move(args), &r)) << name;
    EXPECT_EQ(VT_DISPATCH, r.v.vt) << name;
    return r.v.vt == VT_DISPATCH ? ComPtr<IDispatch>(r.v.pdispVal) : ComPtr<IDispatch>();
}

ComPtr<IDispatch> itemOf(IDispatch* collection, long index) {
    Value i(index);
    return getObject(collection, L"Item", {&i});
}

// An event sink as a client writes one: it records the DISPIDs it is called with.
class EventRecorder : public IDispatch {
public:
    EventRecorder() = default;
    EventRecorder(const EventRecorder&) = delete;
    EventRecorder& operator=(const EventRecorder&) = delete;
    // The server may still hold the sink (or be gone without releasing it).
    virtual ~EventRecorder() { ::CoDisconnectObject(this, 0); }

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
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        seen.push_back(id);
        return S_OK;
    }

    bool saw(DISPID id) const {
        for (DISPID s : seen) {
            if (s == id) return true;
        }
        return false;
    }
    bool waitFor(DISPID id, DWORD ms = 5000) const {
        return pumpUntil([&] { return saw(id); }, ms);
    }

    std::vector<DISPID> seen;

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

class SimPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(0u, runPlayer(L"/regserver")); }

    static void TearDownTestSuite() {
        if (HWND window = playerWindow()) {
            Handle process = processOf(window);
            ::PostMessageW(window, WM_CLOSE, 0, 0);
            if (process && ::WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0) {
                ::TerminateProcess(process.get(), 1);
            }
        }
        runPlayer(L"/unregserver");
    }

    void SetUp() override {
        if (playerWindow() == nullptr) {
            Handle started = startPlayer(L"");
            ASSERT_TRUE(started);
            ASSERT_TRUE(pumpUntil([] { return playerWindow() != nullptr; }, 15000));
        }
        ASSERT_EQ(S_OK, ::CoCreateInstance(kAppClassId, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                           reinterpret_cast<void**>(app_.put())));
    }

    // Ends the server the way `end` says and waits for its process to go.
    void expectServerEndsAfter(const std::function<void()>& end) {
        Handle process = processOf(playerWindow());
        ASSERT_TRUE(process);
        end();
        EXPECT_TRUE(pumpUntil([&] { return ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0; }, 10000));
        EXPECT_EQ(nullptr, playerWindow());
        DWORD code = 1;
        ::GetExitCodeProcess(process.get(), &code);
        EXPECT_EQ(0u, code);
    }

    ComPtr<IDispatch> app_;
};

}  // namespace

TEST(SimPlayerRegistration, RegistersAsThePlayerAndUnregistersOnlyItself) {
    ASSERT_EQ(0u, runPlayer(L"/regserver"));
    EXPECT_EQ(playerExe(), registryText(HKEY_LOCAL_MACHINE, kAppPathsKey));
    EXPECT_NE(std::wstring::npos, registryText(HKEY_CLASSES_ROOT, kServerKey).find(playerExe()));
    CLSID byProgId{};
    EXPECT_EQ(S_OK, ::CLSIDFromProgID(L"iTunes.Application", &byProgId));
    EXPECT_TRUE(::IsEqualCLSID(kAppClassId, byProgId));

    ASSERT_EQ(0u, runPlayer(L"/unregserver"));
    EXPECT_EQ(L"", registryText(HKEY_LOCAL_MACHINE, kAppPathsKey));
    EXPECT_EQ(L"", registryText(HKEY_CLASSES_ROOT, kServerKey));

    // Another installation's entry is not ours to remove.
    const std::wstring other = L"C:\\Program Files\\Player\\iTunes.exe";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()),
                     static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    EXPECT_EQ(0u, runPlayer(L"/unregserver"));
    EXPECT_EQ(other, registryText(HKEY_LOCAL_MACHINE, kAppPathsKey));
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAppPathsKey);
}

TEST_F(SimPlayerTest, MembersAreFoundByNameAndCheckTheirArguments) {
    UINT typeInfos = 1;
    EXPECT_EQ(S_OK, app_->GetTypeInfoCount(&typeInfos));
    EXPECT_EQ(0u, typeInfos);
    const DISPID volume = idOf(app_.get(), L"SoundVolume");
    EXPECT_NE(DISPID_UNKNOWN, volume);
    EXPECT_EQ(volume, idOf(app_.get(), L"soundvolume"));
    EXPECT_NE(volume, idOf(app_.get(), L"Mute"));

    std::wstring bogus = L"NoSuchMember";
    LPOLESTR names[] = {&bogus[0]};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, app_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              app_->Invoke(9999, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));

    // Properties are not methods, and read-only ones take no value.
    Value r;
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, callMethod(app_.get(), L"PlayerState", {}, &r));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, put(app_.get(), L"PlayerState", Value(1L)));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, invoke(app_.get(), L"Play", DISPATCH_PROPERTYGET, {}, &r));
    Value extra(1L);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, callMethod(app_.get(), L"Stop", {&extra}));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, put(app_.get(), L"SoundVolume", Value(L"loud")));

    ComPtr<IDispatch> tracks = getObject(getObject(app_.get(), L"LibraryPlaylist").get(), L"Tracks");
    ASSERT_TRUE(tracks);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, invoke(tracks.get(), L"Item", DISPATCH_PROPERTYGET, {}, &r));
}

TEST_F(SimPlayerTest, ApplicationPropertiesTakeCoercibleValues) {
    const long state = getLong(app_.get(), L"PlayerState");
    EXPECT_TRUE(state >= 0 && state <= 3);
    EXPECT_EQ(S_OK, put(app_.get(), L"SoundVolume", Value(37L)));
    EXPECT_EQ(37, getLong(app_.get(), L"SoundVolume"));
    EXPECT_EQ(S_OK, put(app_.get(), L"SoundVolume", Value(L"64")));
    EXPECT_EQ(64, getLong(app_.get(), L"SoundVolume"));
    EXPECT_EQ(S_OK, put(app_.get(), L"Mute", Value(true)));
    EXPECT_TRUE(getBool(app_.get(), L"Mute"));
    EXPECT_EQ(S_OK, put(app_.get(), L"Mute", Value(0L)));
    EXPECT_FALSE(getBool(app_.get(), L"Mute"));
    EXPECT_EQ(S_OK, put(app_.get(), L"EQEnabled", Value(true)));
    EXPECT_TRUE(getBool(app_.get(), L"EQEnabled"));
    EXPECT_EQ(S_OK, put(app_.get(), L"EQEnabled", Value(false)));
}

TEST_F(SimPlayerTest, LibraryMatchesTheLibraryFile) {
    const Library library = fixtureLibrary();
    ASSERT_GE(library.playlists.size(), 2u);
    ASSERT_GE(library.playlists[0].trackIds.size(), 2u);

    ComPtr<IDispatch> playlist = getObject(app_.get(), L"LibraryPlaylist");
    ASSERT_TRUE(playlist);
    EXPECT_EQ(library.playlists[0].playlistId, getLong(playlist.get(), L"PlaylistID"));
    ComPtr<IDispatch> tracks = getObject(playlist.get(), L"Tracks");
    ASSERT_TRUE(tracks);
    const long count = getLong(tracks.get(), L"Count");
    EXPECT_EQ(static_cast<long>(library.playlists[0].trackIds.size()), count);
    for (long i : {1L, count}) {
        ComPtr<IDispatch> track = itemOf(tracks.get(), i);
        ASSERT_TRUE(track);
        const long trackId = library.playlists[0].trackIds[i - 1];
        EXPECT_EQ(trackId, getLong(track.get(), L"TrackID"));
        for (const auto& data : library.tracks) {
            if (data.trackId != trackId) continue;
            EXPECT_EQ(data.name, getString(track.get(), L"Name"));
            EXPECT_EQ(data.artist, getString(track.get(), L"Artist"));
            EXPECT_EQ(data.duration, getLong(track.get(), L"Duration"));
        }
    }
    EXPECT_FALSE(itemOf(tracks.get(), count + 1));

    ComPtr<IDispatch> playlists = getObject(getObject(app_.get(), L"LibrarySource").get(), L"Playlists");
    ASSERT_TRUE(playlists);
    EXPECT_EQ(static_cast<long>(library.playlists.size()), getLong(playlists.get(), L"Count"));
    ComPtr<IDispatch> second = itemOf(playlists.get(), 2);
    ASSERT_TRUE(second);
    EXPECT_EQ(library.playlists[1].name, getString(second.get(), L"Name"));
}

TEST_F(SimPlayerTest, PlaysInRealTimeAndMovesOn) {
    ComPtr<IDispatch> playlist = getObject(app_.get(), L"LibraryPlaylist");
    ASSERT_EQ(S_OK, put(playlist.get(), L"Shuffle", Value(false)));
    ComPtr<IDispatch> tracks = getObject(playlist.get(), L"Tracks");
    ComPtr<IDispatch> first = itemOf(tracks.get(), 1);
    ComPtr<IDispatch> second = itemOf(tracks.get(), 2);
    ASSERT_TRUE(first && second);

    ASSERT_EQ(S_OK, callMethod(first.get(), L"Play"));
    EXPECT_EQ(1, getLong(app_.get(), L"PlayerState"));
    ComPtr<IDispatch> current = getObject(app_.get(), L"CurrentTrack");
    ASSERT_TRUE(current);
    EXPECT_EQ(getLong(first.get(), L"TrackID"), getLong(current.get(), L"TrackID"));
    ComPtr<IDispatch> currentPlaylist = getObject(app_.get(), L"CurrentPlaylist");
    ASSERT_TRUE(currentPlaylist);
    EXPECT_EQ(getLong(playlist.get(), L"PlaylistID"), getLong(currentPlaylist.get(), L"PlaylistID"));
    EXPECT_TRUE(pumpUntil([&] { return getLong(app_.get(), L"PlayerPosition") >= 1; }, 4000));

    ASSERT_EQ(S_OK, callMethod(app_.get(), L"NextTrack"));
    current = getObject(app_.get(), L"CurrentTrack");
    ASSERT_TRUE(current);
    EXPECT_EQ(getString(second.get(), L"Name"), getString(current.get(), L"Name"));
    EXPECT_EQ(2, getLong(current.get(), L"PlayOrderIndex"));

    ASSERT_EQ(S_OK, callMethod(app_.get(), L"Stop"));
    EXPECT_EQ(0, getLong(app_.get(), L"PlayerState"));
}

TEST_F(SimPlayerTest, SearchGivesACollectionOrNoObject) {
    ComPtr<IDispatch> playlist = getObject(app_.get(), L"LibraryPlaylist");
    const std::wstring name = getString(itemOf(getObject(playlist.get(), L"Tracks").get(), 1).get(), L"Name");
    ASSERT_FALSE(name.empty());

    Value text(name.c_str());
    Value allFields(0L);
    Value found;
    ASSERT_EQ(S_OK, callMethod(playlist.get(), L"Search", {&text, &allFields}, &found));
    ASSERT_EQ(VT_DISPATCH, found.v.vt);
    ASSERT_NE(nullptr, found.v.pdispVal);
    const long count = getLong(found.v.pdispVal, L"Count");
    ASSERT_GE(count, 1);
    bool named = false;
    for (long i = 1; i <= count; ++i)
        named = named || getString(itemOf(found.v.pdispVal, i).get(), L"Name") == name;
    EXPECT_TRUE(named);

    Value nothing(L"qqzx nowhere to be found");
    Value none;
    ASSERT_EQ(S_OK, callMethod(playlist.get(), L"Search", {&nothing, &allFields}, &none));
    EXPECT_EQ(VT_DISPATCH, none.v.vt);
    EXPECT_EQ(nullptr, none.v.pdispVal);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, callMethod(playlist.get(), L"Search", {&text}, &none));
}

TEST_F(SimPlayerTest, BrowserWindowSelectsAPlaylistObject) {
    ComPtr<IDispatch> browser = getObject(app_.get(), L"BrowserWindow");
    ASSERT_TRUE(browser);
    ComPtr<IDispatch> playlists = getObject(getObject(app_.get(), L"LibrarySource").get(), L"Playlists");
    ComPtr<IDispatch> second = itemOf(playlists.get(), 2);
    ASSERT_TRUE(second);

    ASSERT_EQ(S_OK, put(browser.get(), L"SelectedPlaylist", Value(second.get())));
    ComPtr<IDispatch> selected = getObject(browser.get(), L"SelectedPlaylist");
    ASSERT_TRUE(selected);
    EXPECT_EQ(getLong(second.get(), L"PlaylistID"), getLong(selected.get(), L"PlaylistID"));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, put(browser.get(), L"SelectedPlaylist", Value(2L)));

    EXPECT_EQ(S_OK, put(browser.get(), L"MiniPlayer", Value(true)));
    EXPECT_TRUE(getBool(browser.get(), L"MiniPlayer"));
    EXPECT_EQ(S_OK, put(browser.get(), L"MiniPlayer", Value(false)));
    EXPECT_EQ(S_OK, put(browser.get(), L"SelectedPlaylist", Value(itemOf(playlists.get(), 1).get())));
}

TEST_F(SimPlayerTest, ArtworkIsReadFromBesideTheLibraryFile) {
    const Library library = fixtureLibrary();
    long index = 0;
    std::string picture;
    const auto& order = library.playlists.at(0).trackIds;
    for (std::size_t i = 0; i < order.size() && index == 0; ++i) {
        for (const auto& t : library.tracks) {
            if (t.trackId == order[i] && !t.artwork.empty()) {
                index = static_cast<long>(i + 1);
                picture = t.artwork[0];
            }
        }
    }
    ASSERT_NE(0, index) << "the library file has a track with artwork";
    std::string expected;
    ASSERT_TRUE(tavel::win::file::readFileBytes(moduleFolder() + L"\\" + std::wstring(picture.begin(), picture.end()),
                                                expected));

    ComPtr<IDispatch> track =
        itemOf(getObject(getObject(app_.get(), L"LibraryPlaylist").get(), L"Tracks").get(), index);
    ComPtr<IDispatch> artwork = getObject(track.get(), L"Artwork");
    ASSERT_TRUE(artwork);
    ASSERT_GE(getLong(artwork.get(), L"Count"), 1);
    const std::wstring saved = moduleFolder() + L"\\simplayer-artwork.tmp";
    Value path(saved.c_str());
    ASSERT_EQ(S_OK, callMethod(itemOf(artwork.get(), 1).get(), L"SaveArtworkToFile", {&path}));
    std::string bytes;
    EXPECT_TRUE(tavel::win::file::readFileBytes(saved, bytes));
    EXPECT_EQ(expected, bytes);

    // Replaced from another file and back, through the collection's item.
    const std::wstring other = moduleFolder() + L"\\artwork\\cover.png";
    std::string otherBytes;
    ASSERT_TRUE(tavel::win::file::readFileBytes(other, otherBytes));
    Value otherPath(other.c_str());
    ASSERT_EQ(S_OK, callMethod(itemOf(artwork.get(), 1).get(), L"SetArtworkFromFile", {&otherPath}));
    ASSERT_EQ(S_OK, callMethod(itemOf(artwork.get(), 1).get(), L"SaveArtworkToFile", {&path}));
    EXPECT_TRUE(tavel::win::file::readFileBytes(saved, bytes));
    EXPECT_EQ(otherBytes, bytes);
    tavel::win::file::writeFileAtomically(saved, expected);
    EXPECT_EQ(S_OK, callMethod(itemOf(artwork.get(), 1).get(), L"SetArtworkFromFile", {&path}));
    tavel::win::file::deleteFile(saved);
}

TEST_F(SimPlayerTest, EventsReachTheSinksOfEveryApplicationObject) {
    ComPtr<IConnectionPoint> point = eventsOf(app_.get());
    ASSERT_TRUE(point);
    ComPtr<IConnectionPointContainer> container = app_.as<IConnectionPointContainer>(IID_IConnectionPointContainer);
    ComPtr<IConnectionPoint> wrong;
    EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IDispatch, wrong.put()));

    // A second client's object hears of changes made through the first.
    ComPtr<IDispatch> other;
    ASSERT_EQ(S_OK, ::CoCreateInstance(kAppClassId, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                       reinterpret_cast<void**>(other.put())));
    EventRecorder sink, otherSink;
    DWORD cookie = 0, otherCookie = 0;
    ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
    ASSERT_EQ(S_OK, eventsOf(other.get())->Advise(&otherSink, &otherCookie));
    EXPECT_NE(cookie, otherCookie);

    const long volume = getLong(app_.get(), L"SoundVolume");
    ASSERT_EQ(S_OK, put(app_.get(), L"SoundVolume", Value(volume == 50 ? 51L : 50L)));
    EXPECT_TRUE(sink.waitFor(tavelapp::itunes::DispSoundVolumeChanged));
    EXPECT_TRUE(otherSink.waitFor(tavelapp::itunes::DispSoundVolumeChanged));
    ASSERT_EQ(S_OK, callMethod(app_.get(), L"Play"));
    EXPECT_TRUE(sink.waitFor(tavelapp::itunes::DispPlayerPlay));
    ASSERT_EQ(S_OK, callMethod(app_.get(), L"Stop"));
    EXPECT_TRUE(sink.waitFor(tavelapp::itunes::DispPlayerStop));

    EXPECT_EQ(S_OK, point->Unadvise(cookie));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie));
    sink.seen.clear();
    otherSink.seen.clear();
    ASSERT_EQ(S_OK, put(app_.get(), L"SoundVolume", Value(volume)));
    EXPECT_TRUE(otherSink.waitFor(tavelapp::itunes::DispSoundVolumeChanged));
    EXPECT_FALSE(sink.saw(tavelapp::itunes::DispSoundVolumeChanged));
    EXPECT_EQ(S_OK, eventsOf(other.get())->Unadvise(otherCookie));
}

TEST_F(SimPlayerTest, ASecondCopyLeavesTheRunningOneAlone) {
    const HWND window = playerWindow();
    EXPECT_EQ(0u, runPlayer(L""));
    EXPECT_EQ(window, playerWindow());
    EXPECT_EQ(S_OK, put(app_.get(), L"SoundVolume", Value(40L)));
}

TEST_F(SimPlayerTest, QuitTellsTheSinksAndEndsTheServer) {
    EventRecorder sink;
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, eventsOf(app_.get())->Advise(&sink, &cookie));
    expectServerEndsAfter([&] { EXPECT_EQ(S_OK, callMethod(app_.get(), L"Quit")); });
    EXPECT_TRUE(sink.saw(tavelapp::itunes::DispQuitting));
    // The object's proxy now reports the server gone instead of hanging.
    Value r;
    EXPECT_TRUE(FAILED(invoke(app_.get(), L"PlayerState", DISPATCH_PROPERTYGET, {}, &r)));
}

TEST_F(SimPlayerTest, ClosingTheWindowEndsTheServer) {
    expectServerEndsAfter([] { ::PostMessageW(playerWindow(), WM_CLOSE, 0, 0); });
}

// COM itself starts the player from its registration ("-Embedding").
TEST(SimPlayerActivation, ComStartsTheRegisteredServerWhenNoneRuns) {
    ASSERT_EQ(nullptr, playerWindow());
    ASSERT_EQ(0u, runPlayer(L"/regserver"));
    ComPtr<IDispatch> app;
    ASSERT_EQ(S_OK, ::CoCreateInstance(kAppClassId, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                       reinterpret_cast<void**>(app.put())));
    EXPECT_EQ(S_OK, put(app.get(), L"SoundVolume", Value(12L)));
    EXPECT_EQ(12, getLong(app.get(), L"SoundVolume"));
    EXPECT_EQ(S_OK, callMethod(app.get(), L"Quit"));
    EXPECT_TRUE(pumpUntil([] { return playerWindow() == nullptr; }, 10000));
    EXPECT_EQ(0u, runPlayer(L"/unregserver"));
}
