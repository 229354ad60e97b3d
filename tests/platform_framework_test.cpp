// Host stand-in: framework core (logger, assertions, agents, events,
// reader-writer lock) and the whole-stand-in reset.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include <tvav/AVTypes.h>
#include "avoc.h"
#include "fb_nv.h"
#include "ht/HtRuntime.h"
#include "host/HostControl.h"
#include "lumvideo_api.h"
#include "system_info.h"
#include "vconf.h"

namespace {

class HostFramework : public ::testing::Test {
protected:
    void SetUp() override { host::Reset(); }
};

TIAspectRatioAgent* AspectAgent() { return TCAgentMgr::Instance<TIAspectRatioAgent>(); }

TEST_F(HostFramework, LoggerAndAssertKeepEveryReport) {
    TCDebugPrint* log = TCDebugPrintORB::GetInstance();
    testing::internal::CaptureStderr();
    log->PrintF("Quiet", 10, 15, 1, "[%s-%s] is called", "TCSizeControl", "[p:1/s:0]");
    host::SetLogThreshold(2);
    log->Print("Loud", 20, 19, 2, "size[%d]", 4);
    log->PrintF("Deep", 30, 27, 4, "%s!", std::string(600, 'x').c_str());
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string::npos, printed.find("is called"));  // printed only up to the threshold
    EXPECT_NE(std::string::npos, printed.find("size[4]"));
    EXPECT_EQ(std::string::npos, printed.find("xxx"));
    const auto lines = host::LogLines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("Quiet 10 15 1 [TCSizeControl-[p:1/s:0]] is called",
              lines[0].function + " " + std::to_string(lines[0].line) + " " + std::to_string(lines[0].module) + " " +
                  std::to_string(lines[0].level) + " " + lines[0].text);
    EXPECT_EQ(std::string(600, 'x') + "!", host::LogSince(2).at(0).text);  // no length limit

    _TCAssert("FlagCreate() == true", "SizeControl.cpp", 120);
    const auto reports = host::Asserts();
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("FlagCreate() == true SizeControl.cpp 120",
              reports[0].expression + " " + reports[0].file + " " + std::to_string(reports[0].line));
}

// A lookup that misses keeps the caller's preset (the library falls back on
// it); the agent's own Reset empties both stores and is counted.
TEST_F(HostFramework, AspectRatioAgentMissesAndReset) {
    TIAspectRatioAgent* agent = AspectAgent();
    ASSERT_NE(nullptr, agent);
    EXPECT_TRUE(agent->SetPictureSizeInfo(0, 2, true, 4));
    int size = -1;
    EXPECT_FALSE(agent->GetPictureSizeInfo(0, 2, false, &size));  // dtv is part of the key
    EXPECT_EQ(-1, size);
    TSPictureSizeOption option;
    option.offsetWidth = 30;
    EXPECT_TRUE(agent->SetPictureSizeDetailInfo(13, 2, PICTURESIZETYPE_ZOOM, option));
    EXPECT_FALSE(agent->GetPictureSizeDetailInfo(13, 2, PICTURESIZETYPE_CUSTOM, &option));
    EXPECT_EQ(30, option.offsetWidth);
    EXPECT_TRUE(agent->Reset());
    EXPECT_EQ(1, host::AgentResetCount());
    EXPECT_FALSE(host::AgentPictureSize(0, 2, true).has_value());
    EXPECT_FALSE(host::AgentDetailOption(13, 2, PICTURESIZETYPE_ZOOM).has_value());
}

// An agent the library does not know is absent; an event keeps the handle sent
// with it. (Absent agents and event manager, and the ATSC 3.0 agent's states,
// are shown by the picture tests and scenarios.)
TEST_F(HostFramework, UnknownAgentAndEventHandle) {
    EXPECT_EQ(nullptr, TCAgentMgr::Instance()->m_Instance(5));
    ORBHandle handle(101, 3);
    TIEventManager::Instance()->SendEvent(2817, &handle, 0);
    const auto events = host::Events();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(2817, events[0].event);
    EXPECT_TRUE(events[0].hasHandle);
    EXPECT_EQ(handle, events[0].handle);
}

// Each row changes one start-up value; Reset must bring it back. (Values whose
// reset the table tests already depend on row by row are left to them: options,
// spec tags, configuration store, lookups, player streams, agent store, log and
// journal.)
TEST_F(HostFramework, ResetRestoresEveryDefault) {
    struct Row { const char* what; std::function<void()> change; std::function<bool()> isDefault; };
    const Row rows[] = {
        {"analog country", [] { host::SetAnalogCountry(4); }, [] { return TCVConfProvider::GetAnalogCountry() == -1; }},
        {"caller", [] { host::SetCallerName("browser"); },
         [] {
             return OrbServiceAPIManager::GetInstance(ORB_SERVICE_SIGNAL_OBJECT_PATH, ORB_SERVICE_SIGNAL_INTERFACE)
                        ->GetCallerProperties()
                        .name == "avctl";
         }},
        {"sysinfo", [] { host::SetSysInfoBool(SYSTEM_INFO_KEY_KYT_SUPPORTED, true); },
         [] { bool b = false; return system_info_get_value_bool(SYSTEM_INFO_KEY_KYT_SUPPORTED, &b) != 0; }},
        {"avoc", [] { host::SetAvocPcMode(2, -1); host::FailAvocPictureMode(); avoc_set_wide_screen_mode(0, 1); },
         [] {
             int pc = 5;
             kova_picture_mode_e pm = 5;
             return avoc_get_pc_mode(0, &pc) == 0 && pc == 0 && avoc_get_picture_mode(0, &pm, 1) == 0 &&
                    !host::WideScreenMode().has_value();
         }},
        {"fast-boot", [] { host::SetFbScreen(0, 1, {1}); host::SetFbAudio({0, 0, 0, 2}); },
         [] {
             return host::FbScreen(0, 1) == std::array<uint8_t, 16>{} && host::FbAudio() == std::array<uint8_t, 4>{};
         }},
        {"fb terminate", [] { host::SetFbTerminateResult(-1); fb_terminate_server(); },
         [] { return host::FbTerminateCount() == 0 && fb_terminate_server() == 0; }},
        {"letterbox", [] { lumvideo_api_set_lbd_on(); }, [] { return !host::LetterboxDetector().has_value(); }},
        {"aspect agent", [] { host::SetAspectRatioAgentPresent(false); host::SetAspectRatioDefaultPictureSize(4); },
         [] { return AspectAgent() != nullptr && AspectAgent()->GetDefaultPictureSize() == 0; }},
        {"atsc3 agent", [] { host::SetAtsc3Agent(host::Atsc3Agent::On); },
         [] { return TCAgentMgr::Instance()->m_Instance(AGENT_KEY_ATSC3_FASTVIDEO) == nullptr; }},
        {"event manager", [] { host::SetEventManagerPresent(false); },
         [] { return TIEventManager::Instance() != nullptr; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.change();
        host::Reset();
        EXPECT_TRUE(row.isDefault());
    }
}

// A reader that already holds the lock takes it again while a writer waits;
// a new reader waits behind that writer.
TEST(HostRWLockThreads, ReaderReentersWhileWriterWaits) {
    TCRWLock lock;
    std::atomic<int> step{0};
    std::atomic<int> writerAt{0};
    std::atomic<int> lateReaderAt{0};
    std::promise<void> writerStarting;

    lock.RLock();
    std::thread writer([&] {
        writerStarting.set_value();
        lock.WLock();
        writerAt = ++step;
        lock.WUnlock();
    });
    writerStarting.get_future().wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let the writer block
    std::thread lateReader([&] {
        lock.RLock();
        lateReaderAt = ++step;
        lock.RUnlock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    // The re-entry runs on this (reader) thread; were it to queue behind the
    // writer it would never return, so a watchdog ends the run instead.
    std::atomic<bool> reentered{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 500 && !reentered; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!reentered) {
            ADD_FAILURE() << "read re-entry blocked behind the waiting writer";
            std::abort();
        }
    });
    lock.RLock();
    reentered = true;
    watchdog.join();

    EXPECT_EQ(0, writerAt.load());
    EXPECT_EQ(0, lateReaderAt.load());
    lock.RUnlock();
    EXPECT_EQ(0, writerAt.load());  // still one read hold
    lock.RUnlock();
    writer.join();
    lateReader.join();
    EXPECT_EQ(1, writerAt.load());
    EXPECT_EQ(2, lateReaderAt.load());
}

TEST(HostRWLockThreads, WriterExcludesReadersAndWriters) {
    TCRWLock lock;
    int shared = 0;
    std::atomic<bool> overlap{false};
    std::atomic<int> inside{0};
    auto loop = [&](bool bWriter) {
        for (int i = 0; i < 2000; ++i) {
            if (bWriter) {
                lock.WLock();
                overlap = overlap || inside.fetch_add(1) != 0;
                ++shared;
                inside.fetch_sub(1);
                lock.WUnlock();
            } else {
                lock.RLock();
                lock.RLock();
                const int seen = shared;
                overlap = overlap || shared != seen;
                lock.RUnlock();
                lock.RUnlock();
            }
        }
    };
    std::thread w1(loop, true), w2(loop, true), r1(loop, false), r2(loop, false);
    for (std::thread* t : {&w1, &w2, &r1, &r2}) t->join();
    EXPECT_FALSE(overlap.load());
    EXPECT_EQ(4000, shared);
}

TEST(HostJournalThreads, ConcurrentCallsAllReachTheJournal) {
    host::Reset();
    auto caller = [] {
        for (int i = 0; i < 300; ++i) {
            int v = 0;
            vconf_set_int(VCONFKEY_REFRESH_MENU, 1);
            vconf_get_int(VCONFKEY_REFRESH_MENU, &v);
            TCDebugPrintORB::GetInstance()->PrintF("T", 1, 27, 1, "%d", i);
        }
    };
    std::thread a(caller), b(caller), c(caller);
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(1800u, host::JournalSize());
    EXPECT_EQ(900u, host::LogSize());
}

// Records are kept encoded in one buffer: every item must come back with its
// bytes, whether the record stayed inside the helper's own buffer, filled it
// exactly, or outgrew it part way through.
TEST_F(HostFramework, CallStoreGivesBackEveryItemOfEverySize) {
    using Items = std::vector<ht::TSCallItem>;
    auto bytes = [](size_t n, uint8_t seed) {
        ht::TSCallItem item;
        for (size_t i = 0; i < n; ++i) item.bytes.push_back(static_cast<uint8_t>(seed + i));
        return item;
    };
    ht::TSCallItem null;
    null.isNull = true;
    const std::vector<Items> rows = {
        {},
        {bytes(0, 0), null, bytes(1, 7)},
        {bytes(252, 1)},                             // header and bytes fill the buffer exactly
        {bytes(253, 2)},                             // one byte more
        {bytes(120, 3), bytes(120, 4), bytes(9, 5)},  // outgrows it on the third item
        {bytes(250, 6), null, bytes(10000, 8), null},
    };
    ht::TCStorage store;
    for (size_t r = 0; r < rows.size(); ++r) {
        ht::TSCallItemHelper helper(store, ht::kRecordBeforeCall, static_cast<uint32_t>(r));
        for (const auto& item : rows[r]) {
            if (item.isNull) helper.AddNull();
            else helper.Add(item.bytes.data(), item.bytes.size());
        }
        helper.Commit();
        helper.Commit();  // a second commit saves nothing
    }
    store.SaveRecord(ht::TSCallRecord{ht::kRecordScope, 99, {}, rows[5]});
    const auto records = store.Records();
    ASSERT_EQ(rows.size() + 1, records.size());
    for (size_t r = 0; r < records.size(); ++r) {
        const Items& want = r < rows.size() ? rows[r] : rows[5];
        ASSERT_EQ(want.size(), records[r].items.size()) << "record " << r;
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(want[i].isNull, records[r].items[i].isNull) << "record " << r << " item " << i;
            EXPECT_EQ(want[i].bytes, records[r].items[i].bytes) << "record " << r << " item " << i;
        }
    }
    EXPECT_EQ(99u, records.back().id);
    EXPECT_EQ(2u, store.RecordsSince(rows.size() - 1).size());
    store.Clear();
    EXPECT_EQ(0u, store.RecordCount());
}

}  // namespace
