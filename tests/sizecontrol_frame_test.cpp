// Size controller frame: registry, construction, small setters, PC-position
// family, readers, and the shared recursive mutex.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Mutex.h"
#include "ObjectFactoryTv.h"
#include "SizeControl.h"
#include "host/HostControl.h"

namespace {

bool LogHas(const std::string& text) { return host::LogContains(text); }

int CountLog(const std::string& text) {
    int n = 0;
    for (const auto& line : host::LogLines()) {
        if (line.text.find(text) != std::string::npos) {
            ++n;
        }
    }
    return n;
}

class SizeControlFrame : public ::testing::Test {
protected:
    void SetUp() override { host::Reset(); }
};

TEST_F(SizeControlFrame, RegistryKeepsOneInstancePerHandle) {
    TCSizeControl* main = TCSizeControl::GetInstance(ORBHandle(1, 0));
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main, TCSizeControl::GetInstance(ORBHandle(1, 0)));
    // (p 1, s 20) is looked up as the main path.
    EXPECT_EQ(main, TCSizeControl::GetInstance(ORBHandle(1, 20)));
    EXPECT_EQ(main->GetHandle(), ORBHandle(1, 0));

    TCSizeControl* sub = TCSizeControl::GetInstance(ORBHandle(1, 1));
    EXPECT_NE(sub, main);
    EXPECT_NE(TCSizeControl::GetInstance(ORBHandle(2, 0)), main);
    EXPECT_NE(TCSizeControl::GetInstance(ORBHandle(2, 0)), sub);
}

TEST_F(SizeControlFrame, FactoryBuildsUnregisteredControllers) {
    TCObjectFactoryTv factory;
    TCSizeControl* a = factory.GetSizeControl(ORBHandle(7, 3));
    TCSizeControl* b = factory.GetSizeControl(ORBHandle(7, 3));
    EXPECT_NE(a, b);
    EXPECT_NE(a, TCSizeControl::GetInstance(ORBHandle(7, 3)));
    delete a;
    delete b;
    // The library registered its factory with the framework at load.
    EXPECT_NE(dynamic_cast<TCObjectFactoryTv*>(TCObjectFactory::GetInstance()), nullptr);
}

TEST_F(SizeControlFrame, InitialStateDependsOnHandle) {
    struct Case {
        ORBHandle handle;
        TCSizeControl::EScreenStateType state;
        int x, y, height, width;
    };
    const Case cases[] = {
        {ORBHandle(101, 0), TCSizeControl::SCREENSTATE_PIG_BY_SETSIZE, 0, 0, 1, 1},
        {ORBHandle(101, 4), TCSizeControl::SCREENSTATE_PIG_BY_SETSIZE, 0, 0, 1, 1},
        {ORBHandle(1, 0), TCSizeControl::SCREENSTATE_FULLSIZE, 0, 0, 1080, 1920},
        {ORBHandle(401, 0), TCSizeControl::SCREENSTATE_FULLSIZE, 0, 0, 1080, 1920},
        {ORBHandle(100, 0), TCSizeControl::SCREENSTATE_FULLSIZE, 0, 0, 1080, 1920},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("p=" + std::to_string(c.handle.p) + " s=" + std::to_string(c.handle.s));
        TCSizeControl* ctl = TCSizeControl::GetInstance(c.handle);
        EXPECT_EQ(ctl->GetCurrentScreenState(), c.state);
        int x = -1, y = -1, h = -1, w = -1;
        EXPECT_EQ(ctl->GetSize(x, y, h, w), 1);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(h, c.height);
        EXPECT_EQ(w, c.width);

        TSRectInfo src, dst;
        EXPECT_EQ(ctl->GetCropVideoInfo(src, dst), 1);
        EXPECT_EQ(src, TSRectInfo(0, 0, 3840, 2160));
        EXPECT_EQ(dst, TSRectInfo(c.x, c.y, c.width, c.height));

        TS21to9SizeInfo info;
        info.bUpdated = true;
        info.bLogoDetected = false;
        ctl->Get21to9SizeInfo(info);
        EXPECT_FALSE(info.bUpdated);
        EXPECT_TRUE(info.bLogoDetected);
        EXPECT_TRUE(info.bCaptionDetected);
        EXPECT_EQ(info.TopBlankLine, 0);
        EXPECT_EQ(info.BottomBlankLine, 0);
    }
}

TEST_F(SizeControlFrame, ConstructorAndReadersLogWithHandlePrefix) {
    TCSizeControl* ctl = TCSizeControl::GetInstance(ORBHandle(3, 9));
    EXPECT_TRUE(LogHas("[TCSizeControl-p:3,s:9] Base Gfx Rect = [x:0,y:0,h:1080,w:1920]"));
    int x, y, h, w;
    ctl->GetSize(x, y, h, w);
    EXPECT_TRUE(LogHas("[TCSizeControl-p:3,s:9] is called"));
    EXPECT_TRUE(LogHas("[TCSizeControl-p:3,s:9] x : 0 , y : 0 , h : 1080 , w : 1920"));
    TSRectInfo src, dst;
    ctl->GetCropVideoInfo(src, dst);
    EXPECT_TRUE(LogHas("[TCSizeControl-p:3,s:9] src : x[0] , y[0] , h[2160] , w[3840]"));
    EXPECT_TRUE(LogHas("[TCSizeControl-p:3,s:9] dest : x[0] , y[0] , h[1080] , w[1920]"));
    // Reading state reaches no outside service.
    host::ClearJournal();
    ctl->GetSize(x, y, h, w);
    ctl->GetCropVideoInfo(src, dst);
    EXPECT_TRUE(host::Journal().empty());
}

TEST_F(SizeControlFrame, SmallSettersLogAndStore) {
    TCSizeControl* ctl = TCSizeControl::GetInstance(ORBHandle(4, 0));

    EXPECT_EQ(ctl->InitializeData(), 1);
    EXPECT_TRUE(LogHas("[TCSizeControl-p:4,s:0] called!!"));

    ctl->SetLiveTvShowState(true);
    EXPECT_TRUE(LogHas("[ORB_PICTURE][TCSizeControl-p:4,s:0] onOff[1]"));
    EXPECT_EQ(CountLog("[TCSizeControl-p:4,s:0] onOff[1]"), 2);

    ctl->SetStillMode(true);
    EXPECT_TRUE(LogHas("[TCSizeControl::SetStillMode] SetStillMode[1]"));

    // A zero size is ignored silently; a full one is remembered and logged.
    ctl->SetPrevResolutionInfo(0x10002, 0, 480);
    ctl->SetPrevResolutionInfo(0x10002, 720, 0);
    EXPECT_FALSE(LogHas("save to PrevRESInfo"));
    ctl->SetPrevResolutionInfo(0x10002, 720, 480);
    EXPECT_TRUE(LogHas("[TCSizeControl::SetPrevResolutionInfo] save to PrevRESInfo, prevResolution[65538] "
                       "prevHorizontal[720], prevVertical[480] \n"));

    ctl->SetCurrentScreenState(TCSizeControl::SCREENSTATE_PIG_BY_CROPVIDEO);
    EXPECT_EQ(ctl->GetCurrentScreenState(), TCSizeControl::SCREENSTATE_PIG_BY_CROPVIDEO);
    ctl->SetCurrentScreenState(TCSizeControl::SCREENSTATE_FULLSIZE);

    TS21to9SizeInfo info;
    info.bUpdated = true;
    info.bLogoDetected = false;
    info.bCaptionDetected = false;
    info.TopBlankLine = 132;
    info.BottomBlankLine = 948;
    ctl->Set21to9SizeInfo(info);
    TS21to9SizeInfo read;
    ctl->Get21to9SizeInfo(read);
    EXPECT_TRUE(read.bUpdated);
    EXPECT_FALSE(read.bLogoDetected);
    EXPECT_EQ(read.TopBlankLine, 132);
    EXPECT_EQ(read.BottomBlankLine, 948);
    ctl->Reset21to9SizeInfo();
    ctl->Get21to9SizeInfo(read);
    EXPECT_FALSE(read.bUpdated);
    EXPECT_TRUE(read.bLogoDetected);
    EXPECT_TRUE(read.bCaptionDetected);
    EXPECT_EQ(read.TopBlankLine, 0);

    char task;
    ctl->SetPipelineTask(reinterpret_cast<TCTask*>(&task));
    char expected[128];
    std::snprintf(expected, sizeof expected, "[TCSizeControl::SetPipelineTask -p:4,s:0] pPipelineTask[%p] ",
                  static_cast<void*>(&task));
    EXPECT_TRUE(LogHas(expected));
}

TEST_F(SizeControlFrame, PcPositionFamilyIsNotSupported) {
    TCSizeControl* ctl = TCSizeControl::GetInstance(ORBHandle(5, 0));
    TVStream stream = host::DefaultStream();
    TSAspectRatioKey key;
    int a = 11, b = 22;
    const std::vector<std::pair<const char*, std::function<int()>>> ops = {
        {"SetCoarse", [&] { return ctl->SetCoarse(stream, key, 3, true); }},
        {"GetCoarse", [&] { return ctl->GetCoarse(key, a); }},
        {"SetFine", [&] { return ctl->SetFine(stream, key, 3, true); }},
        {"GetFine", [&] { return ctl->GetFine(key, a); }},
        {"SetPcPosition", [&] { return ctl->SetPcPosition(stream, key, 1, 2, true); }},
        {"GetPcPosition", [&] { return ctl->GetPcPosition(key, a, b); }},
        {"SetAutoAdjustment", [&] { return ctl->SetAutoAdjustment(stream, key, 1, false); }},
        {"GetAutoAdjustment", [&] { return ctl->GetAutoAdjustment(key, a); }},
        {"SaveAutoAdjustment", [&] { return ctl->SaveAutoAdjustment(stream, key, 1); }},
        {"SetPCPositionByAutoAdjustment", [&] { return ctl->SetPCPositionByAutoAdjustment(stream, key, 1, 2, true); }},
        {"GetHVofPcPosition", [&] { return ctl->GetHVofPcPosition(key, a, b); }},
        {"ResetPcPicture", [&] { return ctl->ResetPcPicture(stream, key); }},
    };
    host::ClearJournal();
    for (const auto& op : ops) {
        SCOPED_TRACE(op.first);
        host::ClearLog();
        EXPECT_EQ(op.second(), 0);
        EXPECT_EQ(CountLog("[TCSizeControl-p:5,s:0] This API is not supported at TV"), 1);
    }
    // Out parameters and state stay as they were.
    EXPECT_EQ(a, 11);
    EXPECT_EQ(b, 22);
    int x, y, h, w;
    ctl->GetSize(x, y, h, w);
    EXPECT_EQ(w, 1920);
    EXPECT_TRUE(host::Journal().empty());
}

TEST(SizeControlMutex, OwnerReentersAndNonOwnerUnlockIsIgnored) {
    host::Reset();
    TCMutex mutex;
    ASSERT_TRUE(mutex.Create());
    mutex.Lock();
    mutex.Lock();
    EXPECT_EQ(mutex.Depth(), 2);

    // Another thread's unlock changes nothing, and it cannot get in.
    std::thread other([&] {
        mutex.Unlock();
        EXPECT_FALSE(mutex.IsOwner());
    });
    other.join();
    EXPECT_EQ(mutex.Depth(), 2);

    mutex.Unlock();
    EXPECT_TRUE(mutex.IsOwner());
    mutex.Unlock();
    EXPECT_FALSE(mutex.IsOwner());
    EXPECT_EQ(host::AssertCount(), 0u);
}

TEST(SizeControlMutex, UseBeforeCreateIsReported) {
    host::Reset();
    TCMutex mutex;
    mutex.Lock();
    mutex.Unlock();
    const auto reports = host::Asserts();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].expression, "FlagCreate() == true");
    EXPECT_EQ(reports[1].expression, "FlagCreate() == true");
    EXPECT_FALSE(mutex.IsOwner());
}

TEST(SizeControlMutexThreads, ExcludesOtherThreads) {
    TCMutex mutex;
    ASSERT_TRUE(mutex.Create());
    int counter = 0;  // guarded by the mutex only
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                mutex.Lock();
                mutex.Lock();  // re-entry while holding it
                if (inside.fetch_add(1) != 0) {
                    ++overlaps;
                }
                ++counter;
                inside.fetch_sub(1);
                mutex.Unlock();
                mutex.Unlock();
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(counter, 8000);
    EXPECT_EQ(overlaps.load(), 0);
}

TEST(SizeControlRegistryThreads, ConcurrentFirstCallsShareOneInstance) {
    host::Reset();
    constexpr int kThreads = 8;
    for (int round = 0; round < 20; ++round) {
        const ORBHandle handle(1000 + round, static_cast<uint16_t>(round));
        std::vector<TCSizeControl*> got(kThreads, nullptr);
        std::atomic<bool> go{false};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                while (!go.load()) {
                }
                got[t] = TCSizeControl::GetInstance(handle);
            });
        }
        go = true;
        for (auto& t : threads) {
            t.join();
        }
        const std::set<TCSizeControl*> distinct(got.begin(), got.end());
        EXPECT_EQ(distinct.size(), 1u) << "round " << round;
        EXPECT_EQ(*distinct.begin(), TCSizeControl::GetInstance(handle));
    }
}

}  // namespace
