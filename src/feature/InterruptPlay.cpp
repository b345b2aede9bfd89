#include "feature/InterruptPlay.h"

#include <algorithm>

#include "config/Lang.h"
#include "player/PlayerState.h"

namespace tavelapp {

InterruptPlay& InterruptPlay::instance() {
    static InterruptPlay interruptPlay;
    return interruptPlay;
}

std::vector<InterruptPlay::ItemPtr> InterruptPlay::queue() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return std::vector<ItemPtr>(queue_.begin(), queue_.end());
}

void InterruptPlay::push(ItemPtr item) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    queue_.push_back(std::move(item));
}

InterruptPlay::ItemPtr InterruptPlay::popFront() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    ItemPtr front;
    if (!queue_.empty()) {
        front = queue_.front();
        queue_.pop_front();
    }
    tellQueue();
    return front;
}

namespace {

bool isSelected(const std::vector<InterruptPlay::ItemPtr>& selected, const InterruptPlay::ItemPtr& item) {
    return std::find(selected.begin(), selected.end(), item) != selected.end();
}

}  // namespace

void InterruptPlay::moveUp(const std::vector<ItemPtr>& selected) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    // A selected item passes an unselected one only, so a selected block moves as a whole.
    for (std::size_t i = 1; i < queue_.size(); ++i) {
        if (isSelected(selected, queue_[i]) && !isSelected(selected, queue_[i - 1]))
            std::swap(queue_[i], queue_[i - 1]);
    }
    tellQueue();
}

void InterruptPlay::moveDown(const std::vector<ItemPtr>& selected) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (std::size_t i = queue_.size(); i-- > 1;) {
        if (isSelected(selected, queue_[i - 1]) && !isSelected(selected, queue_[i]))
            std::swap(queue_[i], queue_[i - 1]);
    }
    tellQueue();
}

void InterruptPlay::remove(const std::vector<ItemPtr>& selected) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                [&selected](const ItemPtr& item) { return isSelected(selected, item); }),
                 queue_.end());
    tellQueue();
}

void InterruptPlay::clear() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    queue_.clear();
    returnPoint_.reset();
    saveReturnPoint_ = false;
    tellQueue();
    tellReturnPoint();
}

InterruptPlay::ItemPtr InterruptPlay::returnPoint() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return returnPoint_;
}

void InterruptPlay::setReturnPoint(ItemPtr item) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    returnPoint_ = std::move(item);
    tellReturnPoint();
}

InterruptPlay::ItemPtr InterruptPlay::takeReturnPoint() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    ItemPtr taken = std::move(returnPoint_);
    returnPoint_.reset();
    tellReturnPoint();
    return taken;
}

void InterruptPlay::addTracks(const std::vector<MusicLibraryParser::TrackRecordPtr>& records) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (const auto& record : records) {
        auto item = std::make_shared<Item>();
        item->trackId = PlayerState::toNumber((*record)[MusicLibraryParser::TrackId]);
        item->name = (*record)[MusicLibraryParser::Name];
        item->album = (*record)[MusicLibraryParser::Album];
        item->artist = (*record)[MusicLibraryParser::Artist];
        // The player's track at the next change becomes the return point.
        if (queue_.empty()) saveReturnPoint_ = true;
        queue_.push_back(item);
    }
    tellQueue();
}

InterruptPlay::Outcome InterruptPlay::onTrackChanged(const PlayerState& state, const Player& play) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!queue_.empty()) {
        Outcome outcome = Outcome::Handled;
        if (!returnPoint_ && saveReturnPoint_) {
            saveReturnPoint_ = false;
            auto item = std::make_shared<Item>();
            item->trackId = state.trackID();
            item->name = state.name();
            item->album = state.album();
            item->artist = state.artist();
            item->playlistName = state.playListName();
            setReturnPoint(item);
            outcome = Outcome::Started;
        }
        const ItemPtr next = popFront();
        markOwnChange();
        play(*next);
        return outcome;
    }
    if (returnPoint_) {
        const ItemPtr back = takeReturnPoint();
        markOwnChange();
        play(*back);
        return Outcome::Returned;
    }
    return Outcome::Nothing;
}

std::wstring InterruptPlay::noticeText(Outcome outcome) {
    switch (outcome) {
        case Outcome::Started:
            return Lang::instance().text(L"InterruptPlay", L"Started");
        case Outcome::Handled:
            return Lang::instance().text(L"InterruptPlay", L"Handled");
        case Outcome::Returned:
            return Lang::instance().text(L"InterruptPlay", L"Returned");
        default:
            return std::wstring();
    }
}

void InterruptPlay::addListener(InterruptPlayListener* listener) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) listeners_.push_back(listener);
}

void InterruptPlay::removeListener(InterruptPlayListener* listener) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void InterruptPlay::tellQueue() {
    const std::vector<InterruptPlayListener*> listeners = listeners_;
    for (InterruptPlayListener* listener : listeners)
        listener->onQueueChanged(*this);
}

void InterruptPlay::tellReturnPoint() {
    const std::vector<InterruptPlayListener*> listeners = listeners_;
    for (InterruptPlayListener* listener : listeners)
        listener->onReturnPointChanged(*this);
}

}  // namespace tavelapp
