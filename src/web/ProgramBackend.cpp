#include "web/ProgramBackend.h"

#include "player/PlayerState.h"
#include "web/StateJson.h"

#include <chrono>

#include "action/ActionList.h"
#include "action/ActionRequest.h"
#include "base/WorkerPool.h"
#include "base/AppPaths.h"
#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "input/IRRules.h"
#include "notify/PlayerStateFactory.h"
#include "win/file/FileSystem.h"
#include "win/file/IniDocument.h"
#include "win/util/MainThread.h"
#include "win/util/StringUtil.h"
#include "win/util/TextCodec.h"

namespace tavelapp {
namespace {

using nlohmann::json;
using tavel::win::util::MainThread;
using tavel::win::util::wideToUtf8;

const std::size_t kMaxArtworkBytes = 16 * 1024 * 1024;

std::int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

tavel::win::file::IniDocument readDocument(const std::wstring& path) {
    std::string bytes;
    if (path.empty() || !tavel::win::file::readFileBytes(path, bytes)) return tavel::win::file::IniDocument();
    return tavel::win::file::IniDocument::parse(bytes);
}

// "ja" or "en": the language file the program ships for it.
std::wstring languageFile(const std::string& language) {
    return AppPaths::settingsFolder() + L"\\langs\\" + tavel::win::util::utf8ToWide(language) + L".lng";
}

// Main thread: what the runner would do with the reference, or why not.
WebBackend::ActionOutcome dispatch(const std::wstring& reference, const std::vector<std::wstring>& params,
                                   bool allowAll) {
    switch (action::runRequest(reference, params, allowAll)) {
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

ProgramBackend::ProgramBackend(bool allowAllActions)
    : allowAllActions_(allowAllActions),
      actions_{{"ja", buildActions(languageFile("ja"))}, {"en", buildActions(languageFile("en"))}},
      pending_(std::make_shared<std::atomic<int>>(0)) {}

json ProgramBackend::actions(const std::string& language) {
    const auto found = actions_.find(language);
    return found != actions_.end() ? found->second : actions_.at("en");
}

json ProgramBackend::buildActions(const std::wstring& languageFile) const {
    // One read of the phone's language file for all the names; the entries of
    // action packages with texts of their own are asked through the language layer.
    const tavel::win::file::IniDocument language = readDocument(languageFile);
    const auto text = [&language](const wchar_t* section, const std::wstring& key) {
        const std::wstring value = language.getString(section, key, std::wstring());
        return wideToUtf8(value.empty() ? Lang::instance().text(section, key) : value);
    };
    json groups = json::array();
    std::vector<std::wstring> sections;
    for (const ActionListItemPtr& item : ActionList::instance().items()) {
        const std::wstring section = tavel::win::util::asciiLower(item->section);
        if (section == L"nothing" || !IRRules::allowedOverNetwork(item->key, allowAllActions_)) continue;
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
    WorkerPool::instance().submit([artwork, path] { readArtwork(*artwork, path); });
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
    PlayerStateFactory* factory = PlayerStateFactory::instanceIfCreated();
    const PlayerStateFactory::StatePtr latest = factory ? factory->latest() : nullptr;
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
    const bool posted = MainThread::post([name, params, done, pending, allowAll] {
        pending->fetch_sub(1);
        ActionOutcome outcome = ActionOutcome::Busy;
        try {
            outcome = dispatch(name, params, allowAll);
        } catch (...) {
            // Whatever failed in the program, the peer hears that nothing ran.
        }
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

bool ProgramBackend::artwork(std::string& bytes, std::string& contentType) {
    PlayerStateFactory* factory = PlayerStateFactory::instanceIfCreated();
    const PlayerStateFactory::StatePtr latest = factory ? factory->latest() : nullptr;
    if (!latest || latest->artworkPath().empty()) return false;
    const std::wstring& path = latest->artworkPath();
    std::shared_ptr<const std::string> cached;
    bool mine = false;
    {
        std::lock_guard<std::mutex> guard(artwork_->lock);
        if (artwork_->path == path && artwork_->bytes) {
            cached = artwork_->bytes;
            contentType = artwork_->type;
        } else {
            // A track the detector has not told of yet, or one the worker is
            // still reading (the page asks as soon as it hears of it): read here.
            artwork_->path = path;
            mine = true;
        }
    }
    if (mine) {
        readArtwork(*artwork_, path);
        std::lock_guard<std::mutex> guard(artwork_->lock);
        if (artwork_->path == path) {
            cached = artwork_->bytes;
            contentType = artwork_->type;
        }
    }
    if (!cached || cached->empty()) return false;
    bytes = *cached;
    return true;
}

json ProgramBackend::texts(const std::string& language) {
    const auto cached = texts_.find(language);
    if (cached != texts_.end()) return cached->second;
    const tavel::win::file::IniDocument file = readDocument(languageFile(language));
    json out = json::object();
    for (const std::wstring& key : file.keyNames(L"Web"))
        out[wideToUtf8(key)] = wideToUtf8(unescapeText(file.getString(L"Web", key, std::wstring())));
    texts_[language] = out;
    return out;
}

void ProgramBackend::askToPair(const std::string& address) {
    const std::wstring text =
        formatText(Lang::instance().text(L"Notification", L"WebPairAsk"), tavel::win::util::utf8ToWide(address));
    // The key carries the address: a click on the notice opens pairing for that device.
    Util::notify(std::string(kPairAskKey) + address, text, NotifyWndInfo::kInformation);
}

void ProgramBackend::pairingClosed(bool wrongGuesses) {
    const wchar_t* key = wrongGuesses ? L"WebPairClosedWrong" : L"WebPairClosedAsks";
    Util::notify("WebRemote_PairingClosed", Lang::instance().text(L"Notification", key), NotifyWndInfo::kWarning);
}

}  // namespace tavelapp
