// Instrumented call layer under concurrent callers.
#include <atomic>
#include <cstring>
#include <map>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "host/HostControl.h"
#include "instrument/CallLayer.h"

namespace {

ht::TCStorage& Store() {
    return ht::TIStorageManager::Instance()->GetStorage();
}

int ItemInt(const ht::TSCallItem& item) {
    int v = 0;
    EXPECT_EQ(item.bytes.size(), sizeof(int));
    if (item.bytes.size() == sizeof(int)) std::memcpy(&v, item.bytes.data(), sizeof(int));
    return v;
}

int Twice(int x, int* out) {
    *out = 2 * x;
    return x + 1;
}

// Both tests use their own site, first executed by concurrent threads.
int FirstSite(int x, int* out) {
    return HT_CALL(Twice, HT_DIRS(1, 2), x, out);
}
int SecondSite(int x, int* out) {
    return HT_CALL(Twice, HT_DIRS(1, 2), x, out);
}

class CallLayerThreads : public ::testing::Test {
protected:
    void SetUp() override { Quiet(); }
    void TearDown() override { Quiet(); }
    static void Quiet() {
        host::SetRecording(false);
        Store().Clear();
    }

    // Runs body(thread index) on `threads` threads released together.
    template <class Body>
    static void RunTogether(int threads, Body body) {
        std::atomic<bool> go{false};
        std::vector<std::thread> pool;
        for (int t = 0; t < threads; ++t)
            pool.emplace_back([&, t] {
                while (!go.load()) std::this_thread::yield();
                body(t);
            });
        go.store(true);
        for (auto& th : pool) th.join();
    }

    // Each thread's records must come as complete before/after pairs whose
    // values belong to the same call, in the order of the thread's calls
    // (each thread passes increasing values). Returns the number of pairs.
    static size_t CheckPairs(const std::vector<ht::TSCallRecord>& records, uint32_t& siteId) {
        std::map<std::thread::id, std::vector<const ht::TSCallRecord*>> byThread;
        for (const auto& r : records) byThread[r.thread].push_back(&r);
        size_t pairs = 0;
        for (const auto& entry : byThread) {
            const auto& list = entry.second;
            EXPECT_EQ(list.size() % 2, 0u);
            int last = -1;
            for (size_t i = 0; i + 1 < list.size(); i += 2) {
                const ht::TSCallRecord& before = *list[i];
                const ht::TSCallRecord& after = *list[i + 1];
                EXPECT_EQ(before.kind, ht::kRecordBeforeCall);
                EXPECT_EQ(after.kind, ht::kRecordAfterCall);
                EXPECT_EQ(after.id, 0u);
                if (siteId == 0) siteId = before.id;
                EXPECT_EQ(before.id, siteId);
                if (before.items.size() != 1 || after.items.size() != 2) {
                    ADD_FAILURE() << "item counts " << before.items.size() << "/" << after.items.size();
                    continue;
                }
                const int x = ItemInt(before.items[0]);
                EXPECT_GT(x, last);
                last = x;
                EXPECT_EQ(ItemInt(after.items[0]), 2 * x);
                EXPECT_EQ(ItemInt(after.items[1]), x + 1);
                ++pairs;
            }
        }
        return pairs;
    }
};

TEST_F(CallLayerThreads, ConcurrentRecordedCallsShareOneLocation) {
    constexpr int kThreads = 8;
    constexpr int kCalls = 200;
    host::SetRecording(true);
    const size_t locationsBefore = Store().LocationCount();
    std::atomic<int> wrong{0};
    RunTogether(kThreads, [&](int t) {
        for (int i = 0; i < kCalls; ++i) {
            const int x = t * 1000 + i;
            int out = 0;
            if (FirstSite(x, &out) != x + 1 || out != 2 * x) wrong.fetch_add(1);
        }
    });
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(Store().LocationCount(), locationsBefore + 1);
    uint32_t siteId = 0;
    EXPECT_EQ(CheckPairs(Store().Records(), siteId), static_cast<size_t>(kThreads * kCalls));
    EXPECT_NE(siteId, 0u);
}

TEST_F(CallLayerThreads, SwitchingRecordingWhileCallingKeepsRecordsPaired) {
    constexpr int kCallers = 4;
    constexpr int kCalls = 500;
    std::atomic<int> wrong{0};
    std::atomic<int> finished{0};
    RunTogether(kCallers + 1, [&](int t) {
        if (t == kCallers) {
            bool on = false;
            while (finished.load() < kCallers) host::SetRecording(on = !on);
            return;
        }
        for (int i = 0; i < kCalls; ++i) {
            int out = 0;
            if (SecondSite(i, &out) != i + 1 || out != 2 * i) wrong.fetch_add(1);
        }
        finished.fetch_add(1);
    });
    EXPECT_EQ(wrong.load(), 0);
    uint32_t siteId = 0;
    CheckPairs(Store().Records(), siteId);
}

}  // namespace
