#include "web/ProgramBackend.h"

#include <algorithm>

#include "player/PlayerState.h"
#include "web/Clock.h"
#include "web/StateJson.h"

#include "action/ActionList.h"
#include "action/NetworkRule.h"
#include "action/ActionRequest.h"
#include "action/ActionPluginMgr.h"
#include "action/ActionRunner.h"
#include "base/ActionQueue.h"
#include "base/WorkerPool.h"
#include "base/AppPaths.h"
#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "notify/PlayerStateFactory.h"
#include "player/LibraryBrowse.h"
#include "win/file/FileSystem.h"
#include "win/file/IniDocument.h"
#include "win/util/CallbackGuard.h"
#include "win/util/MainThread.h"
#include "win/util/StringUtil.h"
#include "win/util/TextCodec.h"

namespace tavelapp {
namespace {

using nlohmann::json;
using tavel::win::util::MainThread;
using tavel::win::util::wideToUtf8;

const std::size_t kMaxArtworkBytes = 16 * 1024 * 1024;

tavel::win::file::IniDocument readDocument(const std::wstring& path) {
    std::string bytes;
    if (path.empty() || !tavel::win::file::readFileBytes(path, bytes)) return tavel::win::file::IniDocument();
    return tavel::win::file::IniDocument::parse(bytes);
}

// Main thread: what the runner would do with the reference, or why not.
WebBackend::ActionOutcome dispatch(const ProgramBackend::Program& program, const std::wstring& reference,
                                   const std::vector<std::wstring>& params, bool allowAll) {
    const action::RequestTarget target{program.actionList, program.plugins, program.runner, program.queue,
                                       program.settings};
    switch (action::runRequest(target, reference, params, allowAll)) {
        case action::RequestOutcome::Queued:
            return WebBackend::ActionOutcome::Queued;
        case action::RequestOutcome::Unknown:
            return WebBackend::ActionOutcome::Unknown;
        case action::RequestOutcome::Forbidden:
            return WebBackend::ActionOutcome::Forbidden;
        case action::RequestOutcome::PlayerNotRunning:
            return WebBackend::ActionOutcome::PlayerNotRunning;
        case action::RequestOutcome::Busy:
            break;
    }
    return WebBackend::ActionOutcome::Busy;
}

}  // namespace

ProgramBackend::Program ProgramBackend::Program::running() {
    return Program{ActionList::instance(),
                   ActionPluginMgr::instance(),
                   ActionRunner::instance(),
                   ActionQueue::actions(),
                   WorkerPool::instance(),
                   itunes::LibraryBrowse::instance(),
                   Lang::instance(),
                   Ini::instance(),
                   [] {
                       PlayerStateFactory* factory = PlayerStateFactory::instanceIfCreated();
                       return factory ? factory->latest() : nullptr;
                   },
                   AppPaths::settingsFolder() + L"\\langs"};
}

ProgramBackend::ProgramBackend(Program program, bool allowAllActions)
    : program_(std::move(program)),
      allowAllActions_(allowAllActions),
      actions_{{"ja", buildActions(languageFile("ja"))}, {"en", buildActions(languageFile("en"))}},
      texts_{{"ja", buildTexts(languageFile("ja"))}, {"en", buildTexts(languageFile("en"))}},
      pending_(std::make_shared<std::atomic<int>>(0)) {}

// "ja" or "en": the language file the program ships for it.
std::wstring ProgramBackend::languageFile(const std::string& language) const {
    return program_.languageFolder + L"\\" + tavel::win::util::utf8ToWide(language) + L".lng";
}

json ProgramBackend::actions(const std::string& language) {
    const auto found = actions_.find(language);
    return found != actions_.end() ? found->second : actions_.at("en");
}

json ProgramBackend::buildActions(const std::wstring& languageFile) const {
    // One read of the phone's language file for all the names; the entries of
    // action packages with texts of their own are asked through the language layer.
    const tavel::win::file::IniDocument language = readDocument(languageFile);
    const auto text = [this, &language](const wchar_t* section, const std::wstring& key) {
        const std::wstring value = language.getString(section, key, std::wstring());
        return wideToUtf8(value.empty() ? program_.lang.text(section, key) : value);
    };
    json groups = json::array();
    std::vector<std::wstring> sections;
    for (const ActionListItemPtr& item : program_.actionList.items()) {
        const std::wstring section = tavel::win::util::asciiLower(item->section);
        if (section == L"nothing" || !action::allowedOverNetwork(item->key, allowAllActions_)) continue;
        std::size_t s = 0;
        while (s < sections.size() && sections[s] != section)
            ++s;
        if (s == sections.size()) {
            sections.push_back(section);
            groups.push_back({{"name", text(L"ActionType", section)}, {"items", json::array()}});
        }
        groups[s]["items"].push_back({{"id", wideToUtf8(item->id)},
                                      {"name", text(L"ActionName", item->id)},
                                      {"desc", text(L"ActionDesc", item->id)}});
    }
    return json{{"groups", groups}};
}

void ProgramBackend::snapshotTaken(const std::shared_ptr<const PlayerState>& state, std::int64_t nowMs) {
    {
        std::lock_guard<std::mutex> guard(snapshotLock_);
        snapshot_ = state;
        snapshotMs_ = nowMs;
    }
    // A new track's picture is read now, off the server's thread and the detector's.
    const std::wstring path = state ? state->artworkPath() : std::wstring();
    {
        std::lock_guard<std::mutex> guard(artwork_->lock);
        if (path.empty() || path == artwork_->path) return;
        artwork_->path = path;
        artwork_->bytes.reset();
    }
    std::shared_ptr<Artwork> artwork = artwork_;
    if (!program_.workers.submit([artwork, path] { readArtwork(*artwork, path); })) {
        // Shutting down: the page's own ask reads it, should one still come.
        std::lock_guard<std::mutex> guard(artwork->lock);
        if (artwork->path == path) artwork->path.clear();
    }
}

void ProgramBackend::readArtwork(Artwork& artwork, const std::wstring& path) {
    std::string data;
    if (!tavel::win::file::readFileBytes(path, data, kMaxArtworkBytes)) data.clear();
    // Half-written while the next track's picture was saved: none rather than a broken one.
    std::string type = imageType(data);
    if (type.empty()) data.clear();
    std::lock_guard<std::mutex> guard(artwork.lock);
    if (artwork.path != path) return;
    artwork.bytes = std::make_shared<const std::string>(std::move(data));
    artwork.type = std::move(type);
}

json ProgramBackend::state() {
    const std::shared_ptr<const PlayerState> latest = program_.latestState();
    if (!latest) return StateJson::from(PlayerState());
    long extra = 0;
    {
        std::lock_guard<std::mutex> guard(snapshotLock_);
        // The player's end comes as an empty state of its own, after the factory's last.
        if (snapshot_ && !snapshot_->isPlayerRunning()) return StateJson::from(*snapshot_);
        if (snapshot_ == latest) extra = static_cast<long>((steadyMs() - snapshotMs_) / 1000);
    }
    return StateJson::from(*latest, extra);
}

void ProgramBackend::runAction(const std::wstring& name, const std::vector<std::wstring>& params, ActionDone done) {
    std::shared_ptr<std::atomic<int>> pending = pending_;
    if (pending->fetch_add(1) >= kMaxPendingActions) {
        pending->fetch_sub(1);
        done(ActionOutcome::Busy);
        return;
    }
    const bool allowAll = allowAllActions_;
    // A copy: the server (and this backend) may be gone when the main thread takes it.
    const bool posted = MainThread::post([program = program_, name, params, done, pending, allowAll] {
        pending->fetch_sub(1);
        // Whatever failed in the program, the peer hears that nothing ran.
        const ActionOutcome outcome = tavel::win::util::guardedOr<ActionOutcome>(
            "web remote action", ActionOutcome::Busy, [&] { return dispatch(program, name, params, allowAll); });
        done(outcome);
    });
    if (!posted) {
        pending->fetch_sub(1);
        done(ActionOutcome::Busy);
    }
}

std::string ProgramBackend::imageType(const std::string& bytes) {
    const auto starts = [&bytes](const char* signature, std::size_t size) {
        return bytes.size() >= size && bytes.compare(0, size, signature, size) == 0;
    };
    if (starts("\x89PNG\r\n\x1a\n", 8)) return "image/png";
    if (starts("\xff\xd8\xff", 3)) return "image/jpeg";
    if (starts("GIF8", 4)) return "image/gif";
    if (starts("BM", 2)) return "image/bmp";
    return std::string();
}

void ProgramBackend::artwork(ArtworkDone done) {
    const std::shared_ptr<const PlayerState> latest = program_.latestState();
    if (!latest || latest->artworkPath().empty()) {
        done(nullptr, std::string());
        return;
    }
    const std::wstring path = latest->artworkPath();
    std::shared_ptr<Artwork> artwork = artwork_;
    {
        std::lock_guard<std::mutex> guard(artwork->lock);
        if (artwork->path == path && artwork->bytes) {
            const std::shared_ptr<const std::string> bytes = artwork->bytes;
            const std::string type = artwork->type;
            done(bytes, type);
            return;
        }
        // A track the detector has not told of yet, or one a worker is still
        // reading (the page asks as soon as it hears of it).
        artwork->path = path;
    }
    const auto answer = [artwork, path, done] {
        readArtwork(*artwork, path);
        std::shared_ptr<const std::string> bytes;
        std::string type;
        {
            std::lock_guard<std::mutex> guard(artwork->lock);
            if (artwork->path == path) {
                bytes = artwork->bytes;
                type = artwork->type;
            }
        }
        done(bytes, type);
    };
    if (!program_.workers.submit(answer)) done(nullptr, std::string());
}

json ProgramBackend::texts(const std::string& language) {
    const auto found = texts_.find(language);
    return found != texts_.end() ? found->second : texts_.at("en");
}

json ProgramBackend::buildTexts(const std::wstring& languageFile) const {
    const tavel::win::file::IniDocument file = readDocument(languageFile);
    json out = json::object();
    for (const std::wstring& key : file.keyNames(L"Web"))
        out[wideToUtf8(key)] = wideToUtf8(unescapeText(file.getString(L"Web", key, std::wstring())));
    return out;
}

namespace {

using itunes::LibraryBrowse;

WebBackend::BrowseOutcome outcomeOf(LibraryBrowse::Outcome outcome) {
    switch (outcome) {
        case LibraryBrowse::Outcome::Done:
            return WebBackend::BrowseOutcome::Done;
        case LibraryBrowse::Outcome::NotFound:
            return WebBackend::BrowseOutcome::NotFound;
        case LibraryBrowse::Outcome::NotRunning:
            return WebBackend::BrowseOutcome::PlayerNotRunning;
        case LibraryBrowse::Outcome::Busy:
            break;
    }
    return WebBackend::BrowseOutcome::TimedOut;
}

json pageJson(const LibraryBrowse::Page& page, long offset) {
    json items = json::array();
    for (const LibraryBrowse::Track& track : page.tracks)
        items.push_back({{"id", track.id},
                         {"name", wideToUtf8(track.name)},
                         {"artist", wideToUtf8(track.artist)},
                         {"album", wideToUtf8(track.album)},
                         {"duration", std::max(0L, track.duration)}});
    return json{{"total", page.total}, {"offset", offset}, {"items", items}};
}

}  // namespace

void ProgramBackend::browse(std::function<void()> work, const BrowseDone& done) {
    std::shared_ptr<std::atomic<int>> browsing = browsing_;
    if (browsing->fetch_add(1) >= kMaxBrowsing) {
        browsing->fetch_sub(1);
        done(BrowseOutcome::TimedOut, nullptr);
        return;
    }
    const bool submitted = program_.workers.submit([work, done, browsing] {
        tavel::win::util::guarded("web remote library", work, [&] { done(BrowseOutcome::TimedOut, nullptr); });
        browsing->fetch_sub(1);
    });
    if (!submitted) {
        browsing->fetch_sub(1);
        done(BrowseOutcome::TimedOut, nullptr);
    }
}

void ProgramBackend::search(const std::string& text, SearchField field, long offset, long limit, BrowseDone done) {
    static const LibraryBrowse::Field kFields[] = {LibraryBrowse::Field::All, LibraryBrowse::Field::Artists,
                                                   LibraryBrowse::Field::Albums, LibraryBrowse::Field::Songs};
    LibraryBrowse& library = program_.library;
    const std::wstring wide = tavel::win::util::utf8ToWide(text);
    const LibraryBrowse::Field kind = kFields[static_cast<int>(field)];
    browse(
        [&library, wide, kind, offset, limit, done] {
            const LibraryBrowse::Page page = library.search(wide, kind, offset, limit);
            done(outcomeOf(page.outcome), pageJson(page, offset));
        },
        done);
}

void ProgramBackend::playlists(BrowseDone done) {
    LibraryBrowse& library = program_.library;
    browse(
        [&library, done] {
            const LibraryBrowse::Playlists found = library.playlists();
            json items = json::array();
            for (const LibraryBrowse::Playlist& playlist : found.playlists)
                items.push_back({{"id", playlist.id},
                                 {"name", wideToUtf8(playlist.name)},
                                 {"kind", playlist.kind},
                                 {"count", std::max(0L, playlist.trackCount)}});
            done(outcomeOf(found.outcome), json{{"items", items}});
        },
        done);
}

void ProgramBackend::playlistTracks(const std::string& id, long offset, long limit, BrowseDone done) {
    LibraryBrowse& library = program_.library;
    browse(
        [&library, id, offset, limit, done] {
            const LibraryBrowse::Page page = library.tracks(id, offset, limit);
            done(outcomeOf(page.outcome), pageJson(page, offset));
        },
        done);
}

void ProgramBackend::play(const std::string& playlist, const std::string& track, BrowseDone done) {
    LibraryBrowse& library = program_.library;
    browse(
        [&library, playlist, track, done] {
            done(outcomeOf(library.play(playlist, track)), json{{"playing", true}});
        },
        done);
}

void ProgramBackend::setPosition(long seconds, BrowseDone done) {
    LibraryBrowse& library = program_.library;
    browse(
        [&library, seconds, done] {
            long position = 0;
            const LibraryBrowse::Outcome outcome = library.setPosition(seconds, position);
            done(outcomeOf(outcome), json{{"position", std::max(0L, position)}});
        },
        done);
}

void ProgramBackend::askToPair(const std::string& address) {
    const std::wstring text =
        formatText(program_.lang.text(L"Notification", L"WebPairAsk"), tavel::win::util::utf8ToWide(address));
    // The key carries the address: a click on the notice opens pairing for that device.
    Util::notify(std::string(kPairAskKey) + address, text, NotifyWndInfo::kInformation);
}

void ProgramBackend::pairingClosed(bool wrongGuesses) {
    const wchar_t* key = wrongGuesses ? L"WebPairClosedWrong" : L"WebPairClosedAsks";
    Util::notify("WebRemote_PairingClosed", program_.lang.text(L"Notification", key), NotifyWndInfo::kWarning);
}

}  // namespace tavelapp
