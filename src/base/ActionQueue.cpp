#include "base/ActionQueue.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "base/Trace.h"
#include "base/WorkerPool.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace {

std::atomic<ActionQueue::FullNotice> fullNotice{nullptr};

void tellQueueFull() {
    trace("Kolibrix: action queue full, input dropped");
    // The input stays dropped; telling is the best there is.
    tavel::win::util::guarded("ActionQueue: full notice", [] {
        if (const ActionQueue::FullNotice notice = fullNotice.load()) notice();
    });
}

ActionQueue* make(std::size_t parallel) {
    // Never destroyed: workers may still finish a job while the process ends.
    return new ActionQueue(WorkerPool::instance(), parallel, ActionQueue::kCapacity, tellQueueFull);
}

}  // namespace

void ActionQueue::setFullNotice(FullNotice notice) { fullNotice = notice; }

ActionQueue& ActionQueue::actions() {
    static ActionQueue* queue = make(1);
    return *queue;
}

ActionQueue& ActionQueue::library() {
    static ActionQueue* queue = make(1);
    return *queue;
}

ActionQueue& ActionQueue::sideBySide() {
    // Two workers stay for the serial queues: captures stuck on a busy player
    // never keep the next action waiting for a thread.
    const std::size_t workers = WorkerPool::instance().maxWorkers();
    static ActionQueue* queue = make(workers > 3 ? workers - 2 : 1);
    return *queue;
}

ActionQueue::ActionQueue(WorkerPool& pool, std::size_t parallel, std::size_t capacity, std::function<void()> full)
    : pool_(pool), parallel_(std::max<std::size_t>(1, parallel)), capacity_(capacity), full_(std::move(full)) {}

ActionQueue::~ActionQueue() {
    std::unique_lock<std::mutex> guard(lock_);
    idle_.wait(guard, [this] { return running_ == 0; });
}

ActionQueue::Admission ActionQueue::submit(Job job, const ActionOrigin& origin) {
    bool tell = false;
    Admission admission = Admission::Queued;
    std::deque<Entry> refused;
    {
        std::lock_guard<std::mutex> guard(lock_);
        const bool sameWaits = origin.repeat() && !origin.binding().empty() &&
                               std::any_of(waiting_.begin(), waiting_.end(),
                                           [&](const Entry& e) { return e.origin.binding() == origin.binding(); });
        if (sameWaits) {
            admission = Admission::DroppedRepeat;
        } else if (waiting_.size() >= capacity_) {
            admission = Admission::DroppedFull;
            tell = !told_;
            told_ = true;
        } else {
            waiting_.push_back(Entry{std::move(job), origin});
            if (running_ < parallel_) {
                ++running_;
                // The pool is shut (the process ends): what waits will never run.
                if (!pool_.submit([this] { drain(); })) {
                    --running_;
                    if (running_ == 0) {
                        refused.swap(waiting_);
                        idle_.notify_all();
                    }
                }
            }
        }
    }
    if (tell && full_) full_();
    // Told outside the lock, as a passed-over repeat is.
    for (Entry& entry : refused)
        tavel::win::util::guarded("ActionQueue: refused job", [&] { entry.job(false); });
    return admission;
}

void ActionQueue::drain() {
    for (;;) {
        Entry entry;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (waiting_.empty()) {
                --running_;
                idle_.notify_all();
                return;
            }
            entry = std::move(waiting_.front());
            waiting_.pop_front();
            // Drained: the next overflow is news again.
            if (waiting_.empty()) told_ = false;
        }
        // A job's failure stays with the job; the turn passes on.
        tavel::win::util::guarded("ActionQueue job", [&] { entry.job(entry.origin.wanted()); });
    }
}

std::size_t ActionQueue::waiting() const {
    std::lock_guard<std::mutex> guard(lock_);
    return waiting_.size();
}

std::size_t ActionQueue::running() const {
    std::lock_guard<std::mutex> guard(lock_);
    return running_;
}

bool ActionQueue::waitIdle(std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> guard(lock_);
    return idle_.wait_for(guard, limit, [this] { return running_ == 0 && waiting_.empty(); });
}

}  // namespace tavelapp
