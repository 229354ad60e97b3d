// The sound-controller singleton under concurrent callers while the region
// changes: one controller per family, each of the right class.
#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "AnalogMts.h"
#include "AnalogMtsATSC.h"
#include "AnalogMtsDVB.h"
#include "mts_support.h"

namespace {

using namespace mts_test;

TEST(MtsSingletonThreads, OneControllerPerFamilyWhileTheRegionChanges) {
    host::Reset();
    std::atomic<bool> bStop{false};
    std::thread switcher([&] {
        const int regions[] = {kRegionDvb, kRegionKorea, kRegionIsdb};
        for (int i = 0; !bStop.load(); ++i) {
            host::SetOption(0, regions[i % 3]);
            std::this_thread::yield();
        }
    });
    std::mutex seenMutex;
    std::set<TCAnalogMts*> seen;
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t) {
        callers.emplace_back([&] {
            for (int i = 0; i < 300; ++i) {
                TCAnalogMts* instance = TCAnalogMts::GetInstance();
                std::lock_guard<std::mutex> lock(seenMutex);
                seen.insert(instance);
            }
        });
    }
    for (std::thread& caller : callers) {
        caller.join();
    }
    bStop = true;
    switcher.join();

    int dvb = 0;
    int atsc = 0;
    for (TCAnalogMts* instance : seen) {
        dvb += dynamic_cast<TCAnalogMtsDVB*>(instance) != nullptr ? 1 : 0;
        atsc += dynamic_cast<TCAnalogMtsATSC*>(instance) != nullptr ? 1 : 0;
    }
    EXPECT_LE(dvb, 1);
    EXPECT_LE(atsc, 1);
    EXPECT_EQ(dvb + atsc, static_cast<int>(seen.size())) << "never null, always one of the two families";
}

}  // namespace
