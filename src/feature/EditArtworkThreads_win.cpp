#include "feature/EditArtworkThreads.h"

#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "artwork/LoaderMgr.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "player/PlayerHost.h"
#include "win/util/Com.h"
#include "win/util/MainThread.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace {

using tavel::win::util::MainThread;

// Calls `work` with the player; false when it could not be reached or failed.
bool withPlayer(const std::function<void(itunes::App&)>& work) {
    tavel::win::util::ComApartment com;
    return tavel::win::util::guardedOr("EditArtwork: player", false, [&] {
        auto connection = itunes::PlayerHost::instance().open();
        work(connection->app());
        return true;
    });
}

std::wstring applyText(const wchar_t* key, const AlbumQuery& query) {
    return formatText(Lang::instance().text(L"Artwork", key), query.artist, query.album);
}

// What a search came to, in the user's words: how many covers it offers, or
// why it offers none.
// `searched` is what the user searched for, never empty: an empty argument
// would leave the text unformatted.
void tellSearchResult(int result, const std::wstring& searched, const FoundArtworks& found) {
    const wchar_t* key = L"SearchFailed_Text";
    if (!found.empty()) {
        key = L"SearchFound_Text";
    } else if (result == amazon::Client::NothingFound) {
        key = L"SearchNothing_Text";
    } else if (result == amazon::Client::Found || result == amazon::Client::NoPicture) {
        key = L"SearchNoPicture_Text";
    }
    // Only the found text takes the count: an argument too many leaves a text unformatted.
    const std::wstring count = found.empty() ? std::wstring() : std::to_wstring(found.size());
    const std::wstring text = formatText(Lang::instance().text(L"Artwork", key), searched, count);
    Util::notify(std::string(), text, found.empty() ? PicturePtr() : found.front().picture,
                 NotifyWndInfo::kInformation);
}

}  // namespace

int PlayerWork::run() {
    withPlayer(work_);
    if (then_) static_cast<void>(MainThread::post(then_));
    return 0;
}

int ClientThread::run() {
    const int result = client_->searchAndRecord(keywords_, artist_, album_, cancel_);
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
    if (Ini::snapshot()->artwork.notifyDownloadResult && !cancel_->cancelled()) {
        // Without keywords the search went by the album's fields.
        const bool blank = keywords_.find_first_not_of(L" \t") == std::wstring::npos;
        tellSearchResult(result, blank ? artist_ + L" - " + album_ : keywords_, *found);
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
        if (tell) Util::notify(std::string(), applyText(L"ApplyStart_Text", query_), NotifyWndInfo::kInformation);
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
                         artwork::LoaderMgr::instance().load(file_, true), NotifyWndInfo::kInformation);
        } else if (changed == 0) {
            Util::notify(std::string(), applyText(L"ApplyFailed_Text", query_), NotifyWndInfo::kInformation);
        }
    }
    client_.reset();
    if (then_) static_cast<void>(MainThread::post([then = then_, counts] { then(counts); }));
    return 0;
}

}  // namespace tavelapp
