#include "AppObject.h"

#include "BrowserWindowObject.h"
#include "PlayerIds.h"
#include "player/model/PersistentItem.h"

namespace simplayer {

namespace h = handler;
using tavelapp::itunes::App;

AppObject::AppObject(std::shared_ptr<tavelapp::itunes::model::PlayerModel> model, std::shared_ptr<EventHub> hub)
    : model_(std::move(model)), app_(model_->app()), hub_(std::move(hub)), events_(*this, *hub_) {}

const std::vector<DispMember<AppObject>>& AppObject::members() {
    static const std::vector<DispMember<AppObject>> table = {
        {L"Play", nullptr, nullptr, h::call<&App::play>},
        {L"Pause", nullptr, nullptr, h::call<&App::pause>},
        {L"PlayPause", nullptr, nullptr, h::call<&App::playPause>},
        {L"Stop", nullptr, nullptr, h::call<&App::stop>},
        {L"Resume", nullptr, nullptr, h::call<&App::resume>},
        {L"BackTrack", nullptr, nullptr, h::call<&App::backTrack>},
        {L"PreviousTrack", nullptr, nullptr, h::call<&App::previousTrack>},
        {L"NextTrack", nullptr, nullptr, h::call<&App::nextTrack>},
        {L"FastForward", nullptr, nullptr, h::call<&App::fastForward>},
        {L"Rewind", nullptr, nullptr, h::call<&App::rewind>},
        {L"Quit", nullptr, nullptr, h::call<&App::quit>},
        {L"SoundVolume", h::get<&App::soundVolume>, h::put<&App::setSoundVolume>},
        {L"Mute", h::get<&App::mute>, h::put<&App::setMute>},
        {L"EQEnabled", h::get<&App::eqEnabled>, h::put<&App::setEQEnabled>},
        {L"VisualsEnabled", h::get<&App::visualsEnabled>, h::put<&App::setVisualsEnabled>},
        {L"FullScreenVisuals", h::get<&App::fullScreenVisuals>},
        {L"PlayerState", h::get<&App::playerState>},
        {L"PlayerPosition", h::get<&App::playerPosition>, h::put<&App::setPlayerPosition>},
        {L"CurrentTrack", h::get<&App::currentTrack>},
        {L"CurrentPlaylist", h::get<&App::currentPlaylist>},
        {L"LibrarySource", h::get<&App::librarySource>},
        {L"LibraryPlaylist", h::get<&App::libraryPlaylist>},
        {L"BrowserWindow", &AppObject::browserWindow},
        {L"CreatePlaylist", nullptr, nullptr, &AppObject::createPlaylist},
        {L"ITObjectPersistentIDHigh", &AppObject::persistentIdHigh},
        {L"ITObjectPersistentIDLow", &AppObject::persistentIdLow},
    };
    return table;
}

void* AppObject::findInterface(REFIID iid) {
    if (::IsEqualIID(iid, IID_IConnectionPointContainer)) return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
}

STDMETHODIMP AppObject::EnumConnectionPoints(IEnumConnectionPoints** out) {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP AppObject::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!::IsEqualIID(iid, kEventsInterfaceId)) return CONNECT_E_NOCONNECTION;
    events_.AddRef();
    *out = &events_;
    return S_OK;
}

HRESULT AppObject::browserWindow(AppObject& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 0) return DISP_E_BADPARAMCOUNT;
    tavelapp::itunes::BrowserWindowPtr window = self.app_->browserWindow();
    if (!window) return putValue(result, static_cast<IDispatch*>(nullptr));
    return putValue(result, makeObject<BrowserWindowObject>(std::move(window), self.model_).get());
}

HRESULT AppObject::createPlaylist(AppObject& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 1) return DISP_E_BADPARAMCOUNT;
    std::wstring name;
    const HRESULT hr = args.get(0, name);
    if (FAILED(hr)) return hr;
    const tavelapp::itunes::PlaylistPtr playlist = self.model_->createPlaylist(name);
    if (!playlist) return E_FAIL;
    return putValue(result, playlist);
}

namespace {

// The persistent id of one of the player's own tracks or playlists.
HRESULT persistentIdOf(const DispArgs& args, unsigned long long& id) {
    if (args.count() != 1) return DISP_E_BADPARAMCOUNT;
    tavel::win::util::ComPtr<IDispatch> object;
    const HRESULT hr = args.get(0, object);
    if (FAILED(hr)) return hr;
    const std::shared_ptr<tavelapp::itunes::Object> item = DispatchObject::modelObjectOf(object.get());
    auto* persistent = dynamic_cast<tavelapp::itunes::model::PersistentItem*>(item.get());
    if (persistent == nullptr) return E_INVALIDARG;
    id = persistent->persistentId();
    return S_OK;
}

}  // namespace

// ITObjectPersistentIDHigh/Low(object): the id's upper and lower 32 bits, as
// ItemByPersistentID takes them.
HRESULT AppObject::persistentIdHigh(AppObject&, const DispArgs& args, VARIANT* result) {
    unsigned long long id = 0;
    const HRESULT hr = persistentIdOf(args, id);
    if (FAILED(hr)) return hr;
    return putValue(result, static_cast<long>(static_cast<unsigned long>(id >> 32)));
}

HRESULT AppObject::persistentIdLow(AppObject&, const DispArgs& args, VARIANT* result) {
    unsigned long long id = 0;
    const HRESULT hr = persistentIdOf(args, id);
    if (FAILED(hr)) return hr;
    return putValue(result, static_cast<long>(static_cast<unsigned long>(id & 0xFFFFFFFFULL)));
}

}  // namespace simplayer
