// Capability checks: the singleton under concurrent use while the region flips.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <tvav/AVCheck.h>
#include <tvav/AVCheckATSC.h>
#include <tvav/AVCheckDVB.h>
#include "host/HostControl.h"

namespace {

TEST(AVCheckThreads, GetInstanceWhileTheRegionFlips) {
    host::Reset();
    host::SetSpecTag(1, 5);
    host::SetProp(host::DefaultStream(), 26, 3);  // DVB: stereo
    host::SetProp(host::DefaultStream(), 20, 2);  // ATSC: stereo
    const int regions[] = {1, 5, 3};              // ATSC, DVB, ISDB
    std::atomic<int> wrong{0};
    std::mutex seenMutex;
    std::set<TCAVCheck*> seen;
    std::vector<std::thread> users;
    for (int t = 0; t < 4; ++t) {
        users.emplace_back([&, t] {
            for (int i = 0; i < 300; ++i) {
                if (i % 10 == 0) host::SetOption(0, regions[(i / 10 + t) % 3]);
                TCAVCheck* check = TCAVCheck::GetInstance();
                // Stereo is available on a stereo signal in every family; the
                // object must still be alive even if it was replaced meanwhile.
                bool bCheck = false;
                if (check != nullptr) check->CheckAnalogMTS(host::DefaultStream(), MULTI_SOUND_STEREO, bCheck);
                wrong += bCheck ? 0 : 1;
                std::lock_guard<std::mutex> lock(seenMutex);
                seen.insert(check);
            }
        });
    }
    for (std::thread& user : users) user.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GT(seen.size(), 2u);
    // Once the region settles, the instance follows it.
    host::SetOption(0, 5);
    TCAVCheck* dvb = TCAVCheck::GetInstance();
    EXPECT_NE(dynamic_cast<TCAVCheckDVB*>(dvb), nullptr);
    EXPECT_EQ(TCAVCheck::GetInstance(), dvb);
}

}  // namespace
