#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "WaitUntil.h"
#include "base/ActionQueue.h"
#include "base/NotifyQueue.h"
#include "base/RunningThreads.h"
#include "base/WorkerPool.h"
#include "base/Thread.h"

using namespace tavelapp;

namespace {

// A worker held at a gate until the test opens it.
class GatedThread : public Thread {
public:
    explicit GatedThread(std::vector<std::string>* log = nullptr, int code = 7) : log_(log), code_(code) {}
    ~GatedThread() override {
        open();
        wait();
    }
    void open() {
        std::lock_guard<std::mutex> guard(m_);
        open_ = true;
        cv_.notify_all();
    }

protected:
    void begin() override { record("begin"); }
    int run() override {
        std::unique_lock<std::mutex> guard(m_);
        cv_.wait(guard, [this] { return open_; });
        guard.unlock();
        record("run");
        return code_;
    }
    void end() override { record("end"); }

private:
    void record(const char* what) {
        if (log_ != nullptr) log_->push_back(what);
    }
    std::vector<std::string>* log_;
    int code_;
    std::mutex m_;
    std::condition_variable cv_;
    bool open_ = false;
};

class ThrowingThread : public Thread {
public:
    bool ended = false;

protected:
    int run() override { throw 42; }
    void end() override { ended = true; }
};

void waitUntilFinished(const Thread& t) {
    EXPECT_TRUE(waitUntil([&] { return t.finished(); })) << "never finished";
}

}  // namespace

TEST(Thread, RunsBeginRunEndInOrderAndKeepsTheExitCode) {
    std::vector<std::string> log;
    GatedThread t(&log, 7);
    EXPECT_FALSE(t.started());
    ASSERT_TRUE(t.start());
    EXPECT_FALSE(t.start());
    EXPECT_FALSE(t.finished());
    t.open();
    t.wait();
    EXPECT_TRUE(t.finished());
    EXPECT_EQ(7, t.exitCode());
    EXPECT_EQ((std::vector<std::string>{"begin", "run", "end"}), log);
}

TEST(Thread, AnExceptionDoesNotLeaveTheThread) {
    ThrowingThread t;
    t.start();
    t.wait();
    EXPECT_TRUE(t.finished());
    EXPECT_EQ(-1, t.exitCode());
    // end() gives back what begin() took (the action lock), whatever run() did.
    EXPECT_TRUE(t.ended);
}

TEST(RunningThreads, AddingPrunesFinishedThreadsOnly) {
    RunningThreads list;
    auto done = std::make_shared<GatedThread>();
    auto busy = std::make_shared<GatedThread>();
    list.start(done);
    list.start(busy);
    done->open();
    waitUntilFinished(*done);
    std::weak_ptr<GatedThread> doneRef = done;
    done.reset();

    auto third = std::make_shared<GatedThread>();
    list.add(third);  // added but not started: it is not finished either
    EXPECT_EQ(2u, list.size());
    EXPECT_TRUE(doneRef.expired());
    busy->open();
    list.waitAll();
    EXPECT_EQ(0u, list.size());
    EXPECT_TRUE(busy->finished());
}

TEST(RunningThreads, KeepsAStartedThreadAliveAfterItsStarterForgotIt) {
    RunningThreads list;
    std::weak_ptr<GatedThread> ref;
    {
        auto t = std::make_shared<GatedThread>();
        ref = t;
        list.start(t);
    }
    ASSERT_FALSE(ref.expired());
    ref.lock()->open();
    list.waitAll();
    EXPECT_TRUE(ref.expired());
}

TEST(RunningThreads, AdditionsFromSeveralThreads) {
    RunningThreads list;
    std::vector<std::thread> starters;
    std::atomic<int> ran{0};
    class Counting : public Thread {
    public:
        explicit Counting(std::atomic<int>& ran) : ran_(ran) {}
        ~Counting() override { wait(); }

    protected:
        int run() override {
            ++ran_;
            return 0;
        }

    private:
        std::atomic<int>& ran_;
    };
    for (int s = 0; s < 4; ++s) {
        starters.emplace_back([&] {
            for (int i = 0; i < 50; ++i)
                list.start(std::make_shared<Counting>(ran));
        });
    }
    for (auto& s : starters)
        s.join();
    list.waitAll();
    EXPECT_EQ(200, ran.load());
    EXPECT_EQ(0u, list.size());
}

TEST(NotifyQueue, KeepsArrivalOrderReplacesTheSameKeyAndStaysWithinItsCap) {
    NotifyQueue queue(4);
    const auto push = [&](const char* key) {
        auto item = std::make_shared<NotifyWndInfo>();
        item->messageKey = key;
        return queue.push(item);
    };
    const auto taken = [&] {
        std::string keys;
        for (const NotifyQueue::Item& item : queue.take())
            keys += item->messageKey.empty() ? "_" : item->messageKey;
        return keys;
    };
    EXPECT_TRUE(push("a")) << "the first request arms a drain";
    EXPECT_FALSE(push("b")) << "later ones join it";
    EXPECT_FALSE(push("a"));
    EXPECT_EQ("ba", taken()) << "the newer a replaced the older";
    EXPECT_FALSE(queue.armed());
    // Requests without a key are all kept; at the cap the oldest goes.
    for (const char* key : {"", "", "c", "d"})
        push(key);
    EXPECT_EQ(4u, queue.size());
    EXPECT_EQ(0u, queue.dropped());
    push("e");
    EXPECT_EQ(4u, queue.size());
    EXPECT_EQ(1u, queue.dropped());
    EXPECT_EQ("_cde", taken());
    EXPECT_TRUE(push("f")) << "armed again after a take";
}

TEST(RunningThreads, ABoundedWaitCountsAThreadNotStartedYetAndJoinsOnlyFinishedOnes) {
    RunningThreads list;
    auto gate = std::make_shared<GatedThread>();
    list.add(gate);
    EXPECT_FALSE(list.waitAllFor(30)) << "added but not started is still to come";
    gate->start();
    EXPECT_FALSE(list.waitAllFor(30));
    EXPECT_EQ(1u, list.size());
    gate->open();
    EXPECT_TRUE(list.waitAllFor(10000));
    EXPECT_EQ(0u, list.size());
}

TEST(WorkerPool, ShutdownIsBoundedAndLaterJobsAreRefusedWithoutAThread) {
    WorkerPool pool(2, std::chrono::seconds(10));
    std::mutex m;
    std::condition_variable cv;
    bool open = false;
    std::atomic<int> runs{0}, refused{0};
    // A job that queues itself again each time it ran.
    std::function<void()> job = [&] {
        ++runs;
        {
            std::unique_lock<std::mutex> guard(m);
            cv.wait(guard, [&] { return open; });
        }
        if (!pool.submit(job)) ++refused;
    };
    ASSERT_TRUE(pool.submit(job));
    ASSERT_TRUE(waitUntil([&] { return runs == 1; }));
    EXPECT_FALSE(pool.shutdown(std::chrono::milliseconds(100))) << "its worker is busy";
    EXPECT_FALSE(pool.submit([&] { ++runs; }));
    EXPECT_EQ(1u, pool.workers()) << "a refused job starts no thread";
    // An action queue over the shut pool tells its job it will not run.
    ActionQueue queue(pool, 1, 4, nullptr);
    int told = 0;
    EXPECT_EQ(ActionQueue::Admission::Queued, queue.submit([&](bool run) { told += run ? 10 : 1; }));
    EXPECT_EQ(1, told);
    {
        std::lock_guard<std::mutex> guard(m);
        open = true;
    }
    cv.notify_all();
    ASSERT_TRUE(waitUntil([&] { return pool.workers() == 0; }));
    EXPECT_EQ(1, runs);
    EXPECT_EQ(1, refused) << "the resubmission after the shutdown";
}

namespace {

// The same gate, run on a long-lived worker.
class PooledGate : public GatedThread {
public:
    explicit PooledGate(std::vector<std::string>* log = nullptr, int code = 0) : GatedThread(log, code) {
        runOnWorker();
    }
    // Over before the base destructor changes what end() dispatches to.
    ~PooledGate() override {
        open();
        wait();
    }
};

}  // namespace

TEST(WorkerPool, PooledThreadsKeepTheirOrderAndNeverQueueBehindEachOther) {
    std::vector<std::string> log;
    {
        PooledGate t(&log, 5);
        ASSERT_TRUE(t.start());
        t.open();
        t.wait();
        EXPECT_TRUE(t.finished());
        EXPECT_EQ(5, t.exitCode());
    }
    EXPECT_EQ((std::vector<std::string>{"begin", "run", "end"}), log);

    // Two blocked at once each got a worker: neither waits for the other.
    auto first = std::make_shared<PooledGate>();
    auto second = std::make_shared<PooledGate>();
    first->start();
    second->start();
    second->open();
    second->wait();
    EXPECT_TRUE(second->finished());
    EXPECT_FALSE(first->finished());
    first->open();
    // The object going waits for its run to be over.
    first.reset();

    // Idle workers are used again rather than new ones made (one more at most:
    // the worker of the last job may still be on its way back).
    const std::size_t workers = WorkerPool::instance().workers();
    for (int i = 0; i < 5; ++i) {
        PooledGate t;
        t.start();
        t.open();
    }
    EXPECT_LE(WorkerPool::instance().workers(), workers + 1);
}
