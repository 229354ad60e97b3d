// Size controller frame: registry refusals, construction, small setters and
// the shared recursive mutex.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sizecontrol/Mutex.h"
#include <tvav/ObjectFactoryTv.h>
#include <tvav/SizeControl.h>
#include "host/HostControl.h"
#include "sizecontrol_support.h"

namespace {

using namespace test_support;

class SizeControlFrame : public sizecontrol_test::SizeControlTest {};

class NullFactory : public TCObjectFactory {
public:
    TCSizeControl* GetSizeControl(const ORBHandle&) override { return nullptr; }
};

// Without a controller from the factory, GetInstance refuses and registers
// nothing: once a factory builds one, the handle gets it.
TEST_F(SizeControlFrame, GetInstanceRefusesWhenNoControllerIsBuilt) {
    TCObjectFactory* const library = TCObjectFactory::GetInstance();
    NullFactory nullFactory;
    struct Row { TCObjectFactory* factory; ORBHandle handle; const char* message; } const rows[] = {
        {nullptr, {61, 0}, "[TCSizeControl::GetInstance] no object factory, no size controller for [p:61/s:0]"},
        {&nullFactory, {62, 1}, "[TCSizeControl::GetInstance] object factory made no size controller for [p:62/s:1]"},
    };
    for (const Row& row : rows) {
        host::ClearLog();
        TCObjectFactory::SetInstance(row.factory);
        EXPECT_EQ(TCSizeControl::GetInstance(row.handle), nullptr) << row.message;
        EXPECT_EQ(CountLogExact(row.message), 1);
        TCObjectFactory::SetInstance(library);
        TCSizeControl* built = TCSizeControl::GetInstance(row.handle);
        ASSERT_NE(built, nullptr) << row.message;
        EXPECT_EQ(built->GetHandle(), row.handle);
    }
}

// New controllers, built fresh by the factory: state, rectangles, 21:9 info
// and the constructor's log line follow the handle.
TEST_F(SizeControlFrame, NewControllerStateFollowsTheHandle) {
    struct Row { ORBHandle handle; TCSizeControl::EScreenStateType state; int width, height; const char* prefix; };
    const Row rows[] = {
        {ORBHandle(101, 4), TCSizeControl::SCREENSTATE_PIG_BY_SETSIZE, 1, 1, "[TCSizeControl-p:101,s:4]"},
        {ORBHandle(401, 0), TCSizeControl::SCREENSTATE_FULLSIZE, 1920, 1080, "[TCSizeControl-p:401,s:0]"},
        {ORBHandle(100, 65535), TCSizeControl::SCREENSTATE_FULLSIZE, 1920, 1080, "[TCSizeControl-p:100,s:65535]"},
    };
    TCObjectFactoryTv factory;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.prefix);
        host::ClearLog();
        std::unique_ptr<TCSizeControl> ctl(factory.GetSizeControl(row.handle));
        EXPECT_EQ(CountLogExact(std::string(row.prefix) + " Base Gfx Rect = [x:0,y:0,h:1080,w:1920]"), 1);
        EXPECT_EQ(ctl->GetCurrentScreenState(), row.state);
        int x = -1, y = -1, h = -1, w = -1;
        TSRectInfo src, dst;
        host::ClearJournal();
        EXPECT_EQ(ctl->GetSize(x, y, h, w) + ctl->GetCropVideoInfo(src, dst), 2);
        EXPECT_EQ(host::FormatRect(x, y, w, h), "0,0," + std::to_string(row.width) + "," + std::to_string(row.height));
        EXPECT_EQ(src, TSRectInfo(0, 0, 3840, 2160));
        EXPECT_EQ(dst, TSRectInfo(x, y, w, h));
        EXPECT_EQ(CountLogExact(std::string(row.prefix) + " x : 0 , y : 0 , h : " + std::to_string(row.height) +
                                " , w : " + std::to_string(row.width)),
                  1);
        EXPECT_EQ(CountLogExact(std::string(row.prefix) + " src : x[0] , y[0] , h[2160] , w[3840]"), 1);
        EXPECT_TRUE(host::Journal().empty());  // reading state reaches no outside service
        TS21to9SizeInfo i{true, false, false, -5, -6};
        ctl->Get21to9SizeInfo(i);
        const std::vector<int> info = {i.bUpdated, i.bLogoDetected, i.bCaptionDetected, i.TopBlankLine,
                                       i.BottomBlankLine};
        EXPECT_EQ(info, (std::vector<int>{0, 1, 1, 0, 0}));
    }
}

// Both live-TV lines carry the value; a previous resolution with a zero
// vertical size is not kept.
TEST_F(SizeControlFrame, SmallSettersLogWhatTheyStore) {
    std::unique_ptr<TCSizeControl> ctl(TCObjectFactoryTv().GetSizeControl(ORBHandle(4, 0)));
    host::ClearLog();
    ctl->SetLiveTvShowState(true);
    EXPECT_EQ(CountLogExact("[ORB_PICTURE][TCSizeControl-p:4,s:0] onOff[1]"), 1);
    EXPECT_EQ(CountLogExact("[TCSizeControl-p:4,s:0] onOff[1]"), 1);
    ctl->SetPrevResolutionInfo(0x10002, 720, 0);
    EXPECT_FALSE(LogHas("save to PrevRESInfo"));
}

TEST(SizeControlMutex, OwnerReentersNonOwnerUnlockIsIgnoredUseBeforeCreateIsReported) {
    host::Reset();
    TCMutex mutex;
    ASSERT_TRUE(mutex.Create());
    mutex.Lock();
    mutex.Lock();
    EXPECT_EQ(mutex.Depth(), 2);
    std::thread([&] { mutex.Unlock(); }).join();  // not the owner: nothing happens
    EXPECT_EQ(mutex.Depth(), 2);
    mutex.Unlock();
    EXPECT_TRUE(mutex.IsOwner());
    mutex.Unlock();
    EXPECT_FALSE(mutex.IsOwner());
    EXPECT_EQ(host::AssertCount(), 0u);

    TCMutex uncreated;
    uncreated.Lock();
    uncreated.Unlock();
    const auto reports = host::Asserts();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].expression, "FlagCreate() == true");
    EXPECT_EQ(reports[1].expression, "FlagCreate() == true");
    EXPECT_FALSE(uncreated.IsOwner());
}

TEST(SizeControlMutexThreads, ExcludesOtherThreads) {
    TCMutex mutex;
    ASSERT_TRUE(mutex.Create());
    int counter = 0;  // guarded by the mutex only
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    RunTogether(4, [&](int) {
        for (int i = 0; i < 2000; ++i) {
            mutex.Lock();
            mutex.Lock();  // re-entry while holding it
            overlaps += inside.fetch_add(1) != 0 ? 1 : 0;
            ++counter;
            inside.fetch_sub(1);
            mutex.Unlock();
            mutex.Unlock();
        }
    });
    EXPECT_EQ(counter, 8000);
    EXPECT_EQ(overlaps.load(), 0);
}

// Controllers built at once through the public factory create the shared
// mutex once (run alone, these are the process's first constructions; the
// thread sanitizer sees an unsynchronised creation), and later controllers
// create none: all of them share it.
TEST(SizeControlFrameThreads, ControllersShareOneMutexCreatedOnce) {
    host::Reset();
    const int before = host::SemaphoresCreated();
    std::vector<std::unique_ptr<TCSizeControl>> built(8);
    RunTogether(8, [&](int t) { built[t].reset(TCObjectFactoryTv().GetSizeControl(ORBHandle(900 + t, 0))); });
    EXPECT_LE(host::SemaphoresCreated() - before, 1);
    const int afterFirst = host::SemaphoresCreated();
    for (int p = 0; p < 3; ++p) {
        TCSizeControl* ctl = TCSizeControl::GetInstance(ORBHandle(920 + p, 0));
        int x, y, h, w;
        ctl->GetSize(x, y, h, w);
    }
    EXPECT_EQ(host::SemaphoresCreated(), afterFirst);
}

TEST(SizeControlRegistryThreads, ConcurrentFirstCallsShareOneInstance) {
    host::Reset();
    for (int round = 0; round < 20; ++round) {
        const ORBHandle handle(1000 + round, static_cast<uint16_t>(round));
        std::vector<TCSizeControl*> got(8, nullptr);
        RunTogether(8, [&](int t) { got[t] = TCSizeControl::GetInstance(handle); });
        const std::set<TCSizeControl*> distinct(got.begin(), got.end());
        EXPECT_EQ(distinct.size(), 1u) << "round " << round;
        EXPECT_EQ(*distinct.begin(), TCSizeControl::GetInstance(handle));
    }
}

}  // namespace
