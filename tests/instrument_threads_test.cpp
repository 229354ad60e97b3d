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

ht::TCStorage& Store() { return ht::TIStorageManager::Instance()->GetStorage(); }

int Twice(int x, int* out) {
    *out = 2 * x;
    return x + 1;
}
// Each test has its own site, first executed by concurrent threads.
int FirstSite(int x, int* out) { return HT_CALL(Twice, HT_DIRS(1, 2), x, out); }
int SecondSite(int x, int* out) { return HT_CALL(Twice, HT_DIRS(1, 2), x, out); }

// Runs `calls` calls of `site` on each of `threads` threads released
// together (values t * 1000 + i); the last thread, when `toggle` is set,
// switches recording instead. Returns the number of wrong results.
int RunTogether(int threads, int calls, int (*site)(int, int*), bool toggle) {
    std::atomic<bool> go{false};
    std::atomic<int> wrong{0}, finished{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            while (!go.load()) std::this_thread::yield();
            if (toggle && t == threads - 1) {
                for (bool on = false; finished.load() < threads - 1;) host::SetRecording(on = !on);
                return;
            }
            for (int i = 0; i < calls; ++i) {
                int out = 0;
                const int x = t * 1000 + i;
                wrong += site(x, &out) != x + 1 || out != 2 * x ? 1 : 0;
            }
            ++finished;
        });
    }
    go = true;
    for (auto& th : pool) th.join();
    return wrong.load();
}

// Each thread's records come as complete before/after pairs of one site,
// whose values belong to the same call, in the order of the thread's calls.
// Returns the number of pairs.
size_t CheckPairs() {
    std::map<std::thread::id, std::vector<ht::TSCallRecord>> byThread;
    for (const auto& r : Store().Records()) byThread[r.thread].push_back(r);
    size_t pairs = 0;
    uint32_t siteId = 0;
    for (const auto& entry : byThread) {
        const auto& list = entry.second;
        EXPECT_EQ(list.size() % 2, 0u);
        int last = -1;
        for (size_t i = 0; i + 1 < list.size(); i += 2) {
            const auto& before = list[i];
            const auto& after = list[i + 1];
            siteId = siteId == 0 ? before.id : siteId;
            EXPECT_TRUE(before.kind == ht::kRecordBeforeCall && after.kind == ht::kRecordAfterCall);
            EXPECT_TRUE(before.id == siteId && siteId != 0 && after.id == 0);
            int v[3] = {0, 0, 0};
            if (before.items.size() != 1 || after.items.size() != 2) {
                ADD_FAILURE() << "item counts " << before.items.size() << "/" << after.items.size();
                continue;
            }
            ++pairs;
            std::memcpy(&v[0], before.items[0].bytes.data(), 4);
            std::memcpy(&v[1], after.items[0].bytes.data(), 4);
            std::memcpy(&v[2], after.items[1].bytes.data(), 4);
            EXPECT_GT(v[0], last);
            last = v[0];
            EXPECT_EQ(v[1], 2 * v[0]);
            EXPECT_EQ(v[2], v[0] + 1);
        }
    }
    return pairs;
}

TEST(CallLayerThreads, ConcurrentRecordedCallsShareOneLocation) {
    host::Reset();
    host::SetRecording(true);
    const size_t locationsBefore = Store().LocationCount();
    EXPECT_EQ(RunTogether(8, 200, FirstSite, false), 0);
    EXPECT_EQ(Store().LocationCount(), locationsBefore + 1);
    EXPECT_EQ(CheckPairs(), 8u * 200u);
    host::Reset();
}

TEST(CallLayerThreads, SwitchingRecordingWhileCallingKeepsRecordsPaired) {
    host::Reset();
    EXPECT_EQ(RunTogether(5, 500, SecondSite, true), 0);
    CheckPairs();
    host::Reset();
}

}  // namespace
