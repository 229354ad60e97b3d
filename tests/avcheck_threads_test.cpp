// Capability checks: the singleton under concurrent use while the region flips.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "AVCheck.h"
#include "AVCheckATSC.h"
#include "AVCheckDVB.h"
#include "host/HostControl.h"

namespace {

TEST(AVCheckThreads, GetInstanceWhileTheRegionFlips) {
    host::Reset();
    host::SetSpecTag(1, 5);
    host::SetProp(host::DefaultStream(), 26, 3);  // DVB: stereo
    host::SetProp(host::DefaultStream(), 20, 2);  // ATSC: stereo
    host::SetOption(0, 1);

    constexpr int kThreads = 4;
    constexpr int kIterations = 300;
    std::atomic<bool> stop{false};
    std::atomic<int> nullInstances{0};
    std::atomic<int> wrongAnswers{0};

    std::thread flipper([&] {
        // Regions 1 (ATSC), 5 (DVB) and 3 (ISDB).
        const int regions[] = {1, 5, 3};
        for (int i = 0; !stop.load(); ++i) {
            host::SetOption(0, regions[i % 3]);
            std::this_thread::yield();
        }
    });

    std::mutex seenMutex;
    std::set<TCAVCheck*> seen;
    std::vector<std::thread> users;
    for (int t = 0; t < kThreads; ++t) {
        users.emplace_back([&, t] {
            const int regions[] = {1, 5, 3};
            std::set<TCAVCheck*> mine;
            for (int i = 0; i < kIterations; ++i) {
                // The users flip the region too, so replacements surely happen.
                if (i % 10 == 0) {
                    host::SetOption(0, regions[(i / 10 + t) % 3]);
                }
                TCAVCheck* check = TCAVCheck::GetInstance();
                mine.insert(check);
                if (check == nullptr) {
                    ++nullInstances;
                    continue;
                }
                // Stereo is available on a stereo signal in every family; the
                // object must still be alive even if it was replaced meanwhile.
                bool bCheck = false;
                check->CheckAnalogMTS(host::DefaultStream(), MULTI_SOUND_STEREO, bCheck);
                if (!bCheck) {
                    ++wrongAnswers;
                }
                bool onOff = true;
                check->CheckAutoWideSupported(onOff);
            }
            std::lock_guard<std::mutex> lock(seenMutex);
            seen.insert(mine.begin(), mine.end());
        });
    }
    for (std::thread& user : users) {
        user.join();
    }
    stop = true;
    flipper.join();

    EXPECT_EQ(nullInstances.load(), 0);
    EXPECT_EQ(wrongAnswers.load(), 0);
    EXPECT_GT(seen.size(), 2u);

    // Once the region settles, the instance follows it.
    host::SetOption(0, 5);
    TCAVCheck* dvb = TCAVCheck::GetInstance();
    EXPECT_NE(dynamic_cast<TCAVCheckDVB*>(dvb), nullptr);
    EXPECT_EQ(TCAVCheck::GetInstance(), dvb);
    host::SetOption(0, 1);
    EXPECT_NE(dynamic_cast<TCAVCheckATSC*>(TCAVCheck::GetInstance()), nullptr);
}

}  // namespace
