#include "ArtworkObject.h"

namespace simplayer {

const std::vector<DispMember<ArtworkObject>>& ArtworkObject::members() {
    static const std::vector<DispMember<ArtworkObject>> table = {
        {L"SaveArtworkToFile", nullptr, nullptr, &ArtworkObject::saveArtworkToFile},
        {L"SetArtworkFromFile", nullptr, nullptr, &ArtworkObject::setArtworkFromFile},
        {L"Delete", nullptr, nullptr, &ArtworkObject::deleteArtwork},
    };
    return table;
}

HRESULT ArtworkObject::saveArtworkToFile(ArtworkObject& self, const DispArgs& args, VARIANT*) {
    if (args.count() != 1) return DISP_E_BADPARAMCOUNT;
    std::wstring path;
    const HRESULT hr = args.get(0, path);
    if (FAILED(hr)) return hr;
    return self.artwork_->saveArtworkToFile(path) ? S_OK : E_FAIL;
}

HRESULT ArtworkObject::setArtworkFromFile(ArtworkObject& self, const DispArgs& args, VARIANT*) {
    if (args.count() != 1) return DISP_E_BADPARAMCOUNT;
    std::wstring path;
    const HRESULT hr = args.get(0, path);
    if (FAILED(hr)) return hr;
    return self.artwork_->setArtworkFromFile(path) ? S_OK : E_FAIL;
}

HRESULT ArtworkObject::deleteArtwork(ArtworkObject& self, const DispArgs& args, VARIANT*) {
    if (args.count() != 0) return DISP_E_BADPARAMCOUNT;
    return self.artwork_->deleteArtwork() ? S_OK : E_FAIL;
}

}  // namespace simplayer
