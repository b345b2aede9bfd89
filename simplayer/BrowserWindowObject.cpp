#include "BrowserWindowObject.h"

#include "PlaylistLookup.h"

namespace simplayer {

namespace h = handler;
using tavel::win::util::ComPtr;
using tavelapp::itunes::BrowserWindow;
using tavelapp::itunes::PlaylistPtr;

namespace {

// The PlaylistID of a playlist object that may live in another process (a
// proxy), so it is asked by name like any client would.
bool readPlaylistId(IDispatch* playlist, long& id) {
    OLECHAR name[] = L"PlaylistID";
    LPOLESTR names[] = {name};
    DISPID dispId = DISPID_UNKNOWN;
    if (FAILED(playlist->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispId))) return false;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT value;
    ::VariantInit(&value);
    HRESULT hr =
        playlist->Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    if (SUCCEEDED(hr)) hr = ::VariantChangeType(&value, &value, 0, VT_I4);
    if (SUCCEEDED(hr)) id = value.lVal;
    ::VariantClear(&value);
    return SUCCEEDED(hr);
}

}  // namespace

const std::vector<DispMember<BrowserWindowObject>>& BrowserWindowObject::members() {
    static const std::vector<DispMember<BrowserWindowObject>> table = {
        {L"Visible", &BrowserWindowObject::visible, h::put<&BrowserWindow::setVisible>},
        {L"MiniPlayer", h::get<&BrowserWindow::miniPlayer>, h::put<&BrowserWindow::setMiniPlayer>},
        {L"SelectedPlaylist", &BrowserWindowObject::selectedPlaylist, &BrowserWindowObject::setSelectedPlaylist},
    };
    return table;
}

HRESULT BrowserWindowObject::visible(BrowserWindowObject& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 0) return DISP_E_BADPARAMCOUNT;
    return putValue(result, self.model_->status().browserVisible);
}

HRESULT BrowserWindowObject::selectedPlaylist(BrowserWindowObject& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 0) return DISP_E_BADPARAMCOUNT;
    const long id = self.model_->status().selectedPlaylistId;
    return putValue(result, findPlaylist(*self.model_->app(), id));
}

HRESULT BrowserWindowObject::setSelectedPlaylist(BrowserWindowObject& self, const DispArgs& args, VARIANT*) {
    if (args.count() != 1) return DISP_E_BADPARAMCOUNT;
    ComPtr<IDispatch> object;
    const HRESULT hr = args.get(0, object);
    if (FAILED(hr)) return hr;
    long id = 0;
    if (!object || !readPlaylistId(object.get(), id)) return E_INVALIDARG;
    const PlaylistPtr playlist = findPlaylist(*self.model_->app(), id);
    if (!playlist) return E_INVALIDARG;
    self.window_->setSelectedPlaylist(playlist);
    return S_OK;
}

}  // namespace simplayer
