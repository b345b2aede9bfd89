#include "player/LibraryBrowse.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <utility>

#include "base/AppException.h"
#include "base/WorkerPool.h"
#include "player/PlayerHost.h"
#include "player/PlayerInterface.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace itunes {
namespace {

using Outcome = LibraryBrowse::Outcome;

// One question's answer, shared by the asking thread and the worker: the
// asker may have given up (and answered Busy) before the worker begins.
template <class R>
struct Slot {
    std::mutex lock;
    std::condition_variable answered;
    bool done = false;
    bool abandoned = false;
    R result;
};

long searchFieldOf(LibraryBrowse::Field field) {
    switch (field) {
        case LibraryBrowse::Field::Artists:
            return SearchArtists;
        case LibraryBrowse::Field::Albums:
            return SearchAlbums;
        case LibraryBrowse::Field::Songs:
            return SearchSongNames;
        default:
            return SearchAll;
    }
}

std::string kindOf(Playlist& playlist) {
    switch (playlist.kind()) {
        case PlaylistKindLibrary:
            return "library";
        case PlaylistKindUser:
            if (playlist.smart()) return "smart";
            return playlist.specialKind() == SpecialKindFolder ? "folder" : "user";
        case PlaylistKindCD:
            return "cd";
        case PlaylistKindDevice:
            return "device";
        case PlaylistKindRadioTuner:
            return "radio";
        default:
            return "unknown";
    }
}

// The slice [offset, offset + limit) of the collection, limit at most a page.
void fillPage(App& app, TrackCollection* tracks, long offset, long limit, LibraryBrowse::Page& page) {
    page.total = tracks != nullptr ? std::max(0L, tracks->count()) : 0;
    offset = std::max(0L, offset);
    limit = std::min(limit, LibraryBrowse::kMaxPage);
    for (long i = offset + 1; tracks != nullptr && limit > 0 && i <= page.total && i <= offset + limit; ++i) {
        TrackPtr track = tracks->item(i);
        if (!track) break;  // the collection shrank under us
        LibraryBrowse::Track t;
        t.id = LibraryBrowse::idText(app.persistentId(*track));
        t.name = track->name();
        t.artist = track->artist();
        t.album = track->album();
        t.duration = track->duration();
        page.tracks.push_back(std::move(t));
    }
}

PlaylistPtr findPlaylist(App& app, unsigned long long id) {
    SourcePtr library = app.librarySource();
    PlaylistCollectionPtr playlists = library ? library->playlists() : nullptr;
    return playlists ? playlists->itemByPersistentId(id) : nullptr;
}

struct Played {
    Outcome outcome = Outcome::Busy;
};

}  // namespace

LibraryBrowse& LibraryBrowse::instance() {
    // Never destroyed: a worker may still be inside a hung player at exit.
    static LibraryBrowse* browse = new LibraryBrowse(PlayerHost::instance(), WorkerPool::instance());
    return *browse;
}

LibraryBrowse::LibraryBrowse(PlayerHost& host, WorkerPool& pool, std::chrono::milliseconds limit,
                             std::size_t maxWaiting)
    : host_(host), limit_(limit), queue_(pool, 1, maxWaiting, nullptr) {}

std::string LibraryBrowse::idText(unsigned long long id) {
    char text[17];
    std::snprintf(text, sizeof(text), "%08lX%08lX", static_cast<unsigned long>(id >> 32),
                  static_cast<unsigned long>(id & 0xFFFFFFFFULL));
    return text;
}

bool LibraryBrowse::parseId(const std::string& text, unsigned long long& id) {
    if (text.size() != 16) return false;
    id = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return false;
        id = id << 4 | static_cast<unsigned long long>(digit);
    }
    return id != 0;
}

template <class R>
R LibraryBrowse::ask(std::function<void(App&, R&)> work) {
    R answer;
    answer.outcome = Outcome::NotRunning;
    if (!host_.isRunning()) return answer;
    answer.outcome = Outcome::Busy;
    auto slot = std::make_shared<Slot<R>>();
    PlayerHost& host = host_;
    const auto job = [slot, work = std::move(work), &host](bool run) {
        {
            std::lock_guard<std::mutex> guard(slot->lock);
            // Given up already: the player is not asked for an answer nobody reads.
            if (slot->abandoned || !run) {
                slot->done = true;
                slot->answered.notify_all();
                return;
            }
        }
        R result = tavel::win::util::guarded(
            "LibraryBrowse",
            [&] {
                R r;
                try {
                    std::unique_ptr<PlayerConnection> connection = host.open();
                    // A player showing a dialog refuses connections: one try,
                    // not the connection's long wait.
                    if (!connection->connected() && !host.answersNow()) {
                        r.outcome = host.isRunning() ? Outcome::Busy : Outcome::NotRunning;
                    } else {
                        r.outcome = Outcome::Done;
                        work(connection->app(), r);
                    }
                } catch (const AppException& e) {
                    // Busy or failing, or gone under us (the empty key).
                    r = R();
                    r.outcome = e.messageKey.empty() ? Outcome::NotRunning : Outcome::Busy;
                }
                return r;
            },
            [] {
                R r;
                r.outcome = Outcome::Busy;
                return r;
            });
        std::lock_guard<std::mutex> guard(slot->lock);
        slot->result = std::move(result);
        slot->done = true;
        slot->answered.notify_all();
    };
    if (queue_.submit(job) != ActionQueue::Admission::Queued) return answer;
    std::unique_lock<std::mutex> guard(slot->lock);
    if (!slot->answered.wait_for(guard, limit_, [&] { return slot->done; })) {
        slot->abandoned = true;
        return answer;
    }
    return std::move(slot->result);
}

LibraryBrowse::Page LibraryBrowse::search(const std::wstring& text, Field field, long offset, long limit) {
    // Nothing to look for finds nothing; the player is not asked.
    if (text.find_first_not_of(L" \t\r\n\u3000") == std::wstring::npos) {
        Page none;
        none.outcome = Outcome::Done;
        return none;
    }
    const long fields = searchFieldOf(field);
    return ask<Page>([text, fields, offset, limit](App& app, Page& page) {
        PlaylistPtr library = app.libraryPlaylist();
        if (!library) {
            page.outcome = Outcome::NotFound;
            return;
        }
        // No collection is the player's "nothing found".
        TrackCollectionPtr found = library->search(text, fields);
        fillPage(app, found.get(), offset, limit, page);
    });
}

LibraryBrowse::Playlists LibraryBrowse::playlists() {
    return ask<Playlists>([](App& app, Playlists& answer) {
        SourcePtr library = app.librarySource();
        PlaylistCollectionPtr all = library ? library->playlists() : nullptr;
        const long count = all ? all->count() : 0;
        for (long i = 1; i <= count; ++i) {
            PlaylistPtr p = all->item(i);
            if (!p) break;
            Playlist entry;
            entry.id = idText(app.persistentId(*p));
            entry.name = p->name();
            entry.kind = kindOf(*p);
            TrackCollectionPtr tracks = p->tracks();
            entry.trackCount = tracks ? tracks->count() : 0;
            answer.playlists.push_back(std::move(entry));
        }
        // The player lists it first; a source that does not still shows it first.
        std::stable_partition(answer.playlists.begin(), answer.playlists.end(),
                              [](const Playlist& p) { return p.kind == "library"; });
    });
}

LibraryBrowse::Page LibraryBrowse::tracks(const std::string& playlistId, long offset, long limit) {
    unsigned long long id = 0;
    if (!parseId(playlistId, id)) {
        Page page;
        page.outcome = Outcome::NotFound;
        return page;
    }
    return ask<Page>([id, offset, limit](App& app, Page& page) {
        PlaylistPtr playlist = findPlaylist(app, id);
        if (!playlist) {
            page.outcome = Outcome::NotFound;
            return;
        }
        TrackCollectionPtr tracks = playlist->tracks();
        fillPage(app, tracks.get(), offset, limit, page);
    });
}

LibraryBrowse::Outcome LibraryBrowse::play(const std::string& playlistId, const std::string& trackId) {
    unsigned long long list = 0, track = 0;
    const bool withList = !playlistId.empty(), withTrack = !trackId.empty();
    if ((!withList && !withTrack) || (withList && !parseId(playlistId, list)) ||
        (withTrack && !parseId(trackId, track))) {
        return Outcome::NotFound;
    }
    return ask<Played>([list, track, withList, withTrack](App& app, Played& played) {
               PlaylistPtr playlist = withList ? findPlaylist(app, list) : app.libraryPlaylist();
               TrackCollectionPtr tracks = playlist ? playlist->tracks() : nullptr;
               // Reached through the playlist's tracks, the track plays within that
               // playlist: next and previous follow it.
               TrackPtr chosen = !tracks     ? nullptr
                                 : withTrack ? tracks->itemByPersistentId(track)
                                             : tracks->itemByPlayOrder(1);
               if (!chosen) {
                   played.outcome = Outcome::NotFound;
                   return;
               }
               if (withTrack) {
                   chosen->play();
               } else {
                   playlist->playFirstTrack();
               }
           })
        .outcome;
}

LibraryBrowse::Outcome LibraryBrowse::setPosition(long seconds, long& position) {
    struct Moved {
        Outcome outcome = Outcome::Busy;
        long position = 0;
    };
    const Moved moved = ask<Moved>([seconds](App& app, Moved& answer) {
        if (!app.currentTrack()) {
            answer.outcome = Outcome::NotFound;
            return;
        }
        app.setPlayerPosition(seconds);
        answer.position = app.playerPosition();
    });
    position = moved.position;
    return moved.outcome;
}

}  // namespace itunes
}  // namespace tavelapp
