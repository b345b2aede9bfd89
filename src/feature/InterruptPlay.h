#pragma once
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "player/MusicLibraryParser.h"

namespace tavelapp {

class PlayerState;

// Plays dropped tracks between the player's own tracks, then returns to the
// track the player had started. The controller decides on each change of
// track (on the worker that saw it); the dialog edits the queue on the main
// thread. Listeners may therefore be called on any thread.
class InterruptPlay {
public:
    struct Item {
        long trackId = 0;
        std::wstring name;
        std::wstring album;
        std::wstring artist;
        std::wstring playlistName;  // empty: the library
    };
    using ItemPtr = std::shared_ptr<const Item>;

    class InterruptPlayListener {
    public:
        virtual void onQueueChanged(InterruptPlay& interruptPlay) = 0;
        virtual void onReturnPointChanged(InterruptPlay& interruptPlay) = 0;

    protected:
        ~InterruptPlayListener() = default;
    };

    // What a change of track made interrupt play do.
    enum class Outcome { Nothing, Started, Handled, Returned };
    // Starts the player on the item (on a worker of its own).
    using Player = std::function<void(const Item& item)>;

    static InterruptPlay& instance();
    InterruptPlay() = default;
    InterruptPlay(const InterruptPlay&) = delete;
    InterruptPlay& operator=(const InterruptPlay&) = delete;

    // The queue; front = next to play.
    std::vector<ItemPtr> queue() const;
    void push(ItemPtr item);  // callers tell the listeners afterwards
    ItemPtr popFront();
    void moveUp(const std::vector<ItemPtr>& selected);
    void moveDown(const std::vector<ItemPtr>& selected);
    void remove(const std::vector<ItemPtr>& selected);
    // Empties the queue and the return point.
    void clear();

    ItemPtr returnPoint() const;
    void setReturnPoint(ItemPtr item);
    ItemPtr takeReturnPoint();

    // The library's tracks of dropped files, appended in the library's order.
    void addTracks(const std::vector<MusicLibraryParser::TrackRecordPtr>& records);

    // Set right after the program sent the player a play command.
    void markOwnChange() { ownChange_ = true; }
    // Called once per track change: whether that change was our own; the
    // mark covers exactly one change.
    bool takeOwnChange() { return ownChange_.exchange(false); }
    bool ownChange() const { return ownChange_; }
    bool saveReturnPointMark() const { return saveReturnPoint_; }

    // The controller's rule for a change of track the player made (not an
    // own change): plays the next queued track or the return point.
    Outcome onTrackChanged(const PlayerState& state, const Player& play);
    // The notification that tells the user; empty for Nothing.
    static std::wstring noticeText(Outcome outcome);

    void addListener(InterruptPlayListener* listener);
    void removeListener(InterruptPlayListener* listener);

private:
    void tellQueue();
    void tellReturnPoint();

    mutable std::recursive_mutex lock_;  // the queue, the return point and the listener list
    std::deque<ItemPtr> queue_;
    ItemPtr returnPoint_;
    std::vector<InterruptPlayListener*> listeners_;
    std::atomic<bool> ownChange_{false};
    std::atomic<bool> saveReturnPoint_{false};
};

}  // namespace tavelapp
