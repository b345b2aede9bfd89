#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "action/Action.h"
#include "base/ActionQueue.h"
#include "base/WorkerPool.h"
#include "config/Ini.h"
#include "input/KeyRepeatFilter.h"

using namespace tavelapp;
using Admission = ActionQueue::Admission;

namespace {

const auto kLimit = std::chrono::seconds(10);

// Jobs held until the test opens the gate; counts who got in and how many at once.
struct Gate {
    std::mutex m;
    std::condition_variable cv;
    bool open = false;
    int inside = 0, most = 0, entered = 0;
    std::vector<int> order;

    void pass(int id) {
        std::unique_lock<std::mutex> guard(m);
        order.push_back(id);
        ++entered;
        most = std::max(most, ++inside);
        cv.notify_all();
        ASSERT_TRUE(cv.wait_for(guard, kLimit, [this] { return open; })) << "gate never opened";
        --inside;
    }
    void waitEntered(int n) {
        std::unique_lock<std::mutex> guard(m);
        ASSERT_TRUE(cv.wait_for(guard, kLimit, [&] { return entered >= n; })) << "only " << entered << " entered";
    }
    void release() {
        std::lock_guard<std::mutex> guard(m);
        open = true;
        cv.notify_all();
    }
};

ActionQueue::Job through(Gate& gate, int id) {
    return [&gate, id](bool run) {
        if (run) gate.pass(id);
    };
}

template <typename Condition>
bool eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + kLimit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace

TEST(WorkerPool, NeverExceedsItsBoundAndIdleWorkersRetire) {
    WorkerPool pool(3, std::chrono::milliseconds(50));
    Gate gate;
    std::atomic<int> done{0};
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(pool.submit([&, i] {
            gate.pass(i);
            ++done;
        }));
    }
    gate.waitEntered(3);
    EXPECT_EQ(3u, pool.workers());
    gate.release();
    ASSERT_TRUE(eventually([&] { return done == 8; }));
    EXPECT_EQ(3, gate.most);
    EXPECT_EQ(3u, pool.peakWorkers());
    ASSERT_TRUE(eventually([&] { return pool.workers() == 0; })) << "idle workers stayed";
    // A job after that gets a worker again.
    ASSERT_TRUE(pool.submit([&] { ++done; }));
    ASSERT_TRUE(eventually([&] { return done == 9; }));
}

TEST(ActionQueue, SerialQueueRunsOneAtATimeInOrderOnOneWorker) {
    WorkerPool pool(4);
    ActionQueue queue(pool, 1, 32, nullptr);
    Gate gate;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Admission::Queued, queue.submit(through(gate, i)));
    gate.waitEntered(1);
    // What waits holds no thread.
    EXPECT_EQ(4u, queue.waiting());
    EXPECT_EQ(1u, pool.workers());
    gate.release();
    ASSERT_TRUE(queue.waitIdle(kLimit));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), gate.order);
    EXPECT_EQ(1, gate.most);
}

TEST(ActionQueue, RepeatOfAWaitingBindingIsDroppedAPressIsNot) {
    WorkerPool pool(2);
    ActionQueue queue(pool, 1, 32, nullptr);
    Gate gate;
    std::atomic<bool> held{true};
    const ActionOrigin repeat("Down", true, [&] { return held.load(); });
    std::atomic<int> passedOver{0};
    queue.submit(through(gate, 0), ActionOrigin("Down", false));
    gate.waitEntered(1);
    // Nothing of the binding waits (the first one runs): the repeat queues.
    EXPECT_EQ(Admission::Queued, queue.submit([&](bool run) { passedOver += run ? 0 : 1; }, repeat));
    EXPECT_EQ(Admission::DroppedRepeat, queue.submit(through(gate, 2), repeat));
    EXPECT_EQ(Admission::Queued, queue.submit(through(gate, 3), ActionOrigin("Down", false)));
    EXPECT_EQ(Admission::Queued, queue.submit(through(gate, 4), ActionOrigin("Up", true)));
    // The key goes up before the waiting repeat's turn: it is passed over.
    held = false;
    gate.release();
    ASSERT_TRUE(queue.waitIdle(kLimit));
    EXPECT_EQ(1, passedOver.load());
    EXPECT_EQ((std::vector<int>{0, 3, 4}), gate.order);
}

TEST(ActionQueue, AFullQueueDropsAndTellsOnceUntilItDrained) {
    WorkerPool pool(2);
    int told = 0;
    ActionQueue queue(pool, 1, 3, [&] { ++told; });
    Gate gate;
    queue.submit(through(gate, 0));
    gate.waitEntered(1);
    std::vector<Admission> got;
    for (int i = 1; i < 6; ++i)
        got.push_back(queue.submit(through(gate, i)));
    EXPECT_EQ((std::vector<Admission>{Admission::Queued, Admission::Queued, Admission::Queued, Admission::DroppedFull,
                                      Admission::DroppedFull}),
              got);
    EXPECT_EQ(1, told);
    gate.release();
    ASSERT_TRUE(queue.waitIdle(kLimit));
    EXPECT_EQ(4, gate.entered);
    for (int i = 0; i < 5; ++i)
        queue.submit([](bool) { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
    ASSERT_TRUE(queue.waitIdle(kLimit));
    EXPECT_EQ(2, told) << "an overflow after the queue drained is news again";
}

namespace {

class GatedAction : public action::Action {
public:
    GatedAction(Gate& gate, int id) : Action(nullptr, {}), gate_(gate), id_(id) {}
    ~GatedAction() override { wait(); }

protected:
    int run() override {
        gate_.pass(id_);
        return 0;
    }

private:
    Gate& gate_;
    int id_;
};

}  // namespace

TEST(ActionQueue, IgnoreWaitingActionRunsLockTakingActionsSideBySide) {
    for (const bool ignore : {false, true}) {
        Ini::instance().detail.ignoreWaitingAction = ignore;
        Gate gate;
        std::vector<std::unique_ptr<GatedAction>> actions;
        for (int i = 0; i < 3; ++i) {
            actions.push_back(std::make_unique<GatedAction>(gate, i));
            actions.back()->start();
        }
        gate.waitEntered(ignore ? 3 : 1);
        gate.release();
        actions.clear();
        EXPECT_EQ(ignore ? 3 : 1, gate.most) << "IgnoreWaitingAction " << ignore;
        EXPECT_EQ(3, gate.entered);
    }
    Ini::instance().detail.ignoreWaitingAction = false;
}

TEST(KeyRepeatFilter, AHeldKeyRepeatsAPressAfterAReleaseIsNew) {
    KeyRepeatFilter keys;
    const std::uint32_t down = 0x28, up = 0x26;
    // The hot key is handled before or after its key goes up again.
    keys.keyDown(down, 100);
    EXPECT_FALSE(keys.isRepeat(down, 100));
    keys.keyDown(down, 600);
    keys.keyDown(down, 640);
    EXPECT_TRUE(keys.isRepeat(down, 600));
    EXPECT_TRUE(keys.isRepeat(down, 640));
    keys.keyUp(down, 650);
    keys.keyDown(down, 650);
    keys.keyUp(down, 662);
    EXPECT_FALSE(keys.isRepeat(down, 650)) << "released and pressed in the same tick";
    keys.keyDown(up, 700);
    keys.keyDown(down, 710);
    EXPECT_FALSE(keys.isRepeat(down, 710));
    keys.keyDown(down, 750);
    EXPECT_TRUE(keys.isRepeat(down, 750)) << "another key's press is no release of this one";
    EXPECT_FALSE(keys.isRepeat(down, 999)) << "no raw event: a press of its own";
    EXPECT_FALSE(keys.isRepeat(0x41, 100));
}
