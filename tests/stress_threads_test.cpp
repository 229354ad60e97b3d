// Every kind of caller at once, for a bounded time: picture sizes, signalling,
// menu options, zoom, application windows, the service's state setters and
// readers on handles (1, 0) and (1, 1), capability questions, the analog sound callbacks, a writer of the
// agent manager and the region, country and input properties changing under
// them. Each thread loops until the deadline; at the end every handle must
// remember exactly what its sink last received. Run under ThreadSanitizer by
// `make tsan`.
//
// TVAV_STRESS_SECONDS sets how long the threads run (default 2); a deadlock
// shows as the test never ending (ctest stops it after 120 s).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include <tvav/AVCheck.h>
#include <tvav/AnalogMts.h>
#include <tvav/SizeControl.h>
#include "host/HostControl.h"
#include "sizecontrol_support.h"
#include "system_info.h"
#include "vconf.h"

namespace {

using namespace sizecontrol_test;
using Job = std::function<void(int)>;

double StressSeconds() {
    const char* text = std::getenv("TVAV_STRESS_SECONDS");
    const double seconds = text != nullptr ? std::atof(text) : 0.0;
    return seconds > 0.0 ? seconds : 2.0;
}

// Runs each job on its own thread, all released together, with rounds
// 0, 1, 2... until the deadline; every job runs at least once.
void RunUntilDeadline(const std::vector<Job>& jobs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(StressSeconds());
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (const Job& job : jobs) {
        threads.emplace_back([&go, &job, deadline] {
            while (!go.load()) std::this_thread::yield();
            int i = 0;
            do job(i++);
            while (std::chrono::steady_clock::now() < deadline);
        });
    }
    go = true;
    for (std::thread& t : threads) t.join();
}

// Digital HD, analog SD (the WSS path) and HDMI 1080p inputs.
const TSAspectRatioKey kKeys[] = {Key(0, 0x10002, true), Key(0, 0x10001, false, 720, 576, 2),
                                  Key(13, 0x10002, false)};
const EPictureSizeType kSizes[] = {PICTURESIZETYPE_16_9,      PICTURESIZETYPE_ZOOM, PICTURESIZETYPE_CUSTOM,
                                   PICTURESIZETYPE_4_3,       PICTURESIZETYPE_21_9, PICTURESIZETYPE_21_9_AUTO,
                                   PICTURESIZETYPE_CAPTION};
const EScreenModeData kModes[] = {SCREENMODE_16_9, SCREENMODE_ZOOM, SCREENMODE_4_3, SCREENMODE_21_9};
const int kRegions[] = {6, 0, 1, 3};  // auto-wide region, DVB, Korea (ATSC), ISDB

TEST(StressThreads, EveryCallerAtOnceLeavesEachHandleRememberingItsLastSinkWrite) {
    const std::vector<Path> paths = TwoPaths();
    host::SetJournal(false);  // its lock would order the threads and hide races from the sanitizer
    std::atomic<int> oddReadings{0};
    std::vector<Job> jobs;
    for (const Path& p : paths) {
        auto key = [](int i) { return kKeys[i % 3]; };
        jobs.push_back([p, key](int i) {  // the menu's and the input's picture sizes
            p.control->SetPictureSize(p.stream, key(i), kSizes[i % 7], i % 2 == 0);
            p.control->SetPictureSize(p.stream, key(i + 1));
            p.control->SetPanoramaOption(p.stream, key(i), i % 3 == 0, i % 2 == 1);
        });
        jobs.push_back([p, key](int i) {  // broadcast signalling and the letterbox detector
            p.control->ChangeVideoSizeByAFD(p.stream, key(i), static_cast<unsigned char>(i % 16),
                                            i % 4 == 0 ? SCREENMODE_4_3 : -1);
            p.control->ChangeVideoSizeByWSS(p.stream, key(i + 1), i % 16, -1);
            p.control->Set21to9_AutoSize(p.stream, key(i), i % 2 == 0, i % 3 == 0, i % 140, (i * 7) % 140);
        });
        jobs.push_back([p, key](int i) {  // menu options
            p.control->SetAutoWideOption(p.stream, key(i), i % 2 == 0, i % 3 == 0);
            p.control->SetScreenMode(p.stream, key(i + 1), kModes[i % 4], i % 2 == 0);
            p.control->SetScreenFitOption(p.stream, key(i + 2), static_cast<EScreenFitOptionType>(i % 3), i % 2 == 1);
        });
        jobs.push_back([p, key](int i) {  // zoom, positions and the reset
            p.control->SetZoomSize(p.stream, key(i), i % 5, i % 7);
            p.control->SetZoomPosition(p.stream, key(i), i % 3 - 1, i % 5 - 2);
            p.control->SetScreenFitPosition(p.stream, key(i + 2), i % 5 - 2, i % 3 - 1);
            if (i % 16 == 0) p.control->ResetPictureSize(p.stream, key(i));
        });
        jobs.push_back([p, key](int i) {  // application windows
            // SetSize keeps the remembered source and SetSizeInfo writes no
            // sink, so a crop write, which sets both, follows each of them.
            if (i % 3 == 0) p.control->SetSize(p.stream, key(i), 100 + i % 50, 50, 540, 960);
            if (i % 3 == 1) p.control->SetSizeInfo(0, 0, 1080, 1920);
            p.control->SetCropVideo(p.stream, TSRectInfo(0, 0, 960 + i % 960, 540), TSRectInfo(i % 960, 0, 960, 540));
            if (i % 4 == 1) p.control->SetDefaultSizeInfo();
            if (i % 4 == 3) p.control->SetDefaultSize(p.stream, key(i));
        });
        jobs.push_back([p, key, &oddReadings](int i) {  // readers
            const TSAspectRatioKey k = key(i);
            EPictureSizeType size = PICTURESIZETYPE_16_9;
            EScreenFitOptionType fit = SCREENFITOPTION_OFF;
            EScreenModeData mode = SCREENMODE_16_9;
            bool bOn = false;
            int a = 0, b = 0, c = 0, d = 0;
            TSRectInfo src, dst;
            p.control->GetPictureSize(k, size);
            p.control->GetScreenFitOption(p.stream, k, fit);
            p.control->GetAutoWideOption(k, bOn);
            p.control->GetScreenMode(k, mode);
            p.control->GetPanoramaOption(k, bOn);
            p.control->GetZoomSize(k, a, b);
            p.control->GetZoomPosition(k, a, b);
            p.control->GetSize(a, b, c, d);
            p.control->GetCropVideoInfo(src, dst);
            p.control->GetDefaultSize(p.stream, k, src, dst);
            p.control->GetAFDGeometryRectSize(a, b, c, d);
            oddReadings += (size < 0 || size >= PICTURESIZETYPE_7 || fit < 0 || fit > SCREENFITOPTION_AUTO) ? 1 : 0;
        });
        jobs.push_back([p](int i) {  // the service's state setters and the 21:9 information
            TS21to9SizeInfo info;
            info.bUpdated = i % 2 == 0;
            info.TopBlankLine = i % 140;
            info.BottomBlankLine = (i * 3) % 140;
            if (i % 3 == 0) p.control->Set21to9SizeInfo(info);
            if (i % 3 == 1) p.control->Reset21to9SizeInfo();
            p.control->Get21to9SizeInfo(info);
            p.control->SetLiveTvShowState(i % 2 == 0);
            p.control->SetStillMode(i % 3 == 0);
            p.control->SetPrevResolutionInfo(0x10002, 1920 + i % 2, 1080);
            if (i % 8 == 0) p.control->InitializeData();
            if (i % 32 == 0) TCSizeControl::SetFlagSkipFBterminate(i % 3 - 1);
        });
    }
    const TVStream tv = host::DefaultStream();
    jobs.push_back([tv](int i) {  // the menus' capability questions
        TCAVCheck* check = TCAVCheck::GetInstance();
        const TSAspectRatioKey k = kKeys[i % 3];
        bool b = false;
        check->CheckPictureSize(tv, k, Info(kSizes[i % 7]), b);
        check->CheckPictureSizeSubMenu(k, kSizes[i % 7], static_cast<EPictureSizeSubMenuType>(i % 5), b);
        check->CheckScreenFitOption(tv, k, Info(kSizes[i % 7]), static_cast<EScreenFitOptionType>(i % 3), b);
        check->CheckScreenFitPosition(k, Info(kSizes[i % 7]), b);
        check->CheckAutoWideSupported(b);
        TCAVCheck::CheckExceptionScreenState(tv, k, static_cast<EExceptionScreenStateType>(i % 5), i % 2 == 0);
    });
    jobs.push_back([tv](int i) {  // tuner sound callbacks; the sound modes are serialised by their one caller
        TCAnalogMts* mts = TCAnalogMts::GetInstance();
        EMultiSoundMode mode = MULTI_SOUND_UNKNOWN;
        mts->SetAnalogMTSByCallback(tv, i % 11);
        if (i % 8 == 0) mts->SetAnalogMTSByChannelTune(tv);
        mts->SetAnalogMTS(tv, static_cast<EMultiSoundMode>(1 + i % 7), i % 2 == 0);
        mts->GetAnalogMTS(tv, mode);
        mts->GetAnalogMTSBySignal(tv, mode);
    });
    jobs.push_back([tv](int i) {  // region, country and what the inputs report
        host::SetOption(0, kRegions[i % 4]);
        host::SetSpecTag(1, i % 3);
        host::SetAnalogCountry(i % 3);
        host::SetProp(tv, TV_PROPERTY_AFD, i % 16);
        host::SetProp(tv, TV_PROPERTY_ANALOG_WSS, (i * 5) % 16);
        host::SetProp(tv, TV_PROPERTY_TUNER_ANALOG_MTS_MODE, i % 6);
        host::SetProp(tv, TV_PROPERTY_TUNER_ANALOG_DUAL_SOUND_MODE, i % 11);
        host::SetProp(tv, TV_PROPERTY_PC_MODE, i % 5 == 0);
        host::SetSysInfoBool(SYSTEM_INFO_KEY_KYT_SUPPORTED, i % 2 == 0);
        host::SetVconfInt(VCONFKEY_MLS_STATE, i % 7 == 0);
        host::SetVconfInt(VCONFKEY_AUTO_STEREO, i % 2);
        std::this_thread::yield();
    });
    jobs.push_back([](int) {  // a writer of the agent manager (an agent being registered)
        host::LockAgentManagerExclusive();
        std::this_thread::yield();
        host::UnlockAgentManagerExclusive();
    });
    RunUntilDeadline(jobs);

    ExpectRememberedEqualsSink(paths);
    for (const Path& p : paths) {
        const int state = p.control->GetCurrentScreenState();
        EXPECT_TRUE(state >= 0 && state <= 2) << "handle (1, " << p.control->GetHandle().s << ") state " << state;
    }
    EXPECT_EQ(oddReadings.load(), 0);
}

}  // namespace
