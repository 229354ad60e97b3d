// The sound-controller singleton under concurrent callers while the region
// changes: one controller per family, each of the right class.
#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <tvav/AnalogMts.h>
#include <tvav/AnalogMtsATSC.h>
#include <tvav/AnalogMtsDVB.h>
#include "mts_support.h"

namespace {

using namespace mts_test;

TEST(MtsSingletonThreads, OneControllerPerFamilyWhileTheRegionChanges) {
    host::Reset();
    const int regions[] = {kRegionDvb, kRegionKorea, kRegionIsdb};
    std::mutex seenMutex;
    std::set<TCAnalogMts*> seen;
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t) {
        callers.emplace_back([&, t] {
            for (int i = 0; i < 300; ++i) {
                if (i % 7 == 0) host::SetOption(0, regions[(i / 7 + t) % 3]);
                TCAnalogMts* instance = TCAnalogMts::GetInstance();
                std::lock_guard<std::mutex> lock(seenMutex);
                seen.insert(instance);
            }
        });
    }
    for (std::thread& caller : callers) caller.join();
    int dvb = 0, atsc = 0;
    for (TCAnalogMts* instance : seen) {
        dvb += dynamic_cast<TCAnalogMtsDVB*>(instance) != nullptr ? 1 : 0;
        atsc += dynamic_cast<TCAnalogMtsATSC*>(instance) != nullptr ? 1 : 0;
    }
    EXPECT_EQ(dvb, 1);
    EXPECT_EQ(atsc, 1);
    EXPECT_EQ(seen.size(), 2u) << "never null, always one of the two families";
}

}  // namespace
