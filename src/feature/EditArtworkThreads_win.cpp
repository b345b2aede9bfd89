#include "feature/EditArtworkThreads.h"

#include "base/Util.h"
#include "artwork/LoaderMgr.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "player/PlayerHost.h"
#include "win/util/Com.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

using tavel::win::util::MainThread;

// Calls `work` with the player; false when it could not be reached or failed.
bool withPlayer(const std::function<void(itunes::App&)>& work) {
    tavel::win::util::ComApartment com;
    try {
        auto connection = itunes::PlayerHost::instance().open();
        work(connection->app());
        return true;
    } catch (...) {
        return false;
    }
}

std::wstring applyText(const wchar_t* key, const AlbumQuery& query) {
    return formatText(Lang::instance().text(L"Artwork", key), query.artist, query.album);
}

}  // namespace

int PlayerWork::run() {
    withPlayer(work_);
    if (then_) static_cast<void>(MainThread::post(then_));
    return 0;
}

int ClientThread::run() {
    client_->searchAndRecord(keywords_, artist_, album_, cancel_);
    auto found = std::make_shared<FoundArtworks>();
    for (const amazon::Client::ItemPtr& item : client_->items()) {
        if (item->localFile.empty() || cancel_->cancelled()) continue;
        // No placeholder: a download nothing decodes is no cover to offer.
        PicturePtr picture = artwork::LoaderMgr::instance().load(item->localFile, false);
        if (!picture) continue;
        FoundArtwork a;
        a.thumbnail = fitCentred(picture->dib(), kThumbnailSide, kThumbnailSide, 0x00FFFFFF);
        a.picture = std::move(picture);
        a.title = item->title;
        a.artist = item->artist;
        a.file = item->localFile;
        a.provider = item->provider;
        found->push_back(std::move(a));
    }
    // The downloads go with the last holder: the dialog, or this thread once
    // the dialog is gone.
    client_.reset();
    if (then_) static_cast<void>(MainThread::post([then = then_, found] { then(found); }));
    return 0;
}

int ApplyArtworkThread::run() {
    auto counts = std::make_shared<Counts>();
    if (!query_.artist.empty() && !query_.album.empty()) {
        const bool tell = Ini::snapshot()->artwork.notifyApplyCompleted;
        if (tell) Util::notify(std::string(), applyText(L"ApplyStart_Text", query_), 0x40);
        int changed = 0;
        withPlayer([&](itunes::App& app) {
            changed = applyAlbumArtwork(app, query_, trackIds_, file_);
            for (const AlbumTrack& t : findAlbumTracks(app, query_)) {
                if (trackIds_.count(t.trackId) != 0) counts->emplace_back(t.trackId, t.artworkCount);
            }
        });
        // "Applied" only when a track got the picture: an unreadable file or
        // an unreachable player changed nothing.
        if (changed > 0 && tell) {
            Util::notify(std::string(), applyText(L"ApplyEnd_Text", query_),
                         artwork::LoaderMgr::instance().load(file_, true), 0x40);
        } else if (changed == 0) {
            Util::notify(std::string(), applyText(L"ApplyFailed_Text", query_), 0x40);
        }
    }
    client_.reset();
    if (then_) static_cast<void>(MainThread::post([then = then_, counts] { then(counts); }));
    return 0;
}

}  // namespace tavelapp
