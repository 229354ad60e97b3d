// Size controllers under concurrent use: picture sizes, broadcast signalling,
// letterbox results, application windows and the menu setters from several
// service threads at once, on two handles, against a writer of the agent
// manager. Run under ThreadSanitizer by `make tsan`.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include <tvav/SizeControl.h>
#include "host/HostControl.h"
#include "sizecontrol_support.h"

namespace {

using namespace sizecontrol_test;

// Runs each job on its own thread `rounds` times, all at once.
void RunTogether(const std::vector<std::function<void(int)>>& jobs, int rounds) {
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (const auto& job : jobs) {
        threads.emplace_back([&go, &job, rounds] {
            while (!go.load()) {
                std::this_thread::yield();
            }
            for (int i = 0; i < rounds; ++i) {
                job(i);
            }
        });
    }
    go = true;
    for (std::thread& t : threads) {
        t.join();
    }
}

TEST(SizeControlThreads, SignalWindowAndSizeWritersKeepTheSinkAndTheMembersTogether) {
    const std::vector<Path> paths = TwoPaths();
    const TSAspectRatioKey key = Key(0, 0x10002, true);
    const EPictureSizeType sizes[] = {PICTURESIZETYPE_16_9, PICTURESIZETYPE_ZOOM, PICTURESIZETYPE_4_3,
                                      PICTURESIZETYPE_21_9_AUTO, PICTURESIZETYPE_CUSTOM};
    std::vector<std::function<void(int)>> jobs;
    for (const Path& p : paths) {
        jobs.push_back([p, key, &sizes](int i) {
            p.control->SetPictureSize(p.stream, key, sizes[i % 5], i % 2 == 0);
            p.control->SetPictureSize(p.stream, key);
        });
        jobs.push_back([p, key](int i) {
            p.control->ChangeVideoSizeByAFD(p.stream, key, static_cast<unsigned char>(i % 16), -1);
            p.control->ChangeVideoSizeByWSS(p.stream, key, i % 16, -1);
            p.control->Set21to9_AutoSize(p.stream, key, i % 2 == 0, i % 3 == 0, 100, 100);
        });
        jobs.push_back([p, key](int i) {
            if (i % 3 == 0) {
                p.control->SetSize(p.stream, key, 100, 50, 540, 960);
            } else if (i % 3 == 1) {
                p.control->SetCropVideo(p.stream, TSRectInfo(0, 0, 960, 540), TSRectInfo(960, 0, 960, 540));
            } else {
                p.control->SetDefaultSizeInfo();
            }
        });
    }
    RunTogether(jobs, 150);
    ExpectRememberedEqualsSink(paths);
}

TEST(SizeControlThreads, MenuSettersAgainstAnAgentManagerWriterNeitherDeadlockNorRace) {
    const std::vector<Path> paths = TwoPaths();
    const TSAspectRatioKey key = Key(13, 0x10002, false);  // HDMI 1080p: screen fit and custom apply
    std::vector<std::function<void(int)>> jobs;
    for (const Path& p : paths) {
        jobs.push_back([p, key](int i) {
            p.control->SetAutoWideOption(p.stream, key, i % 2 == 0, i % 3 == 0);
            p.control->SetScreenMode(p.stream, key, i % 2 == 0 ? SCREENMODE_4_3 : SCREENMODE_ZOOM, i % 2 == 0);
        });
        jobs.push_back([p, key](int i) {
            p.control->SetScreenFitOption(p.stream, key, static_cast<EScreenFitOptionType>(i % 3), i % 2 == 0);
            p.control->SetPictureSize(p.stream, key, i % 2 == 0 ? PICTURESIZETYPE_CUSTOM : PICTURESIZETYPE_16_9,
                                      true);
        });
        jobs.push_back([p, key](int i) {
            p.control->SetZoomSize(p.stream, key, i % 5, i % 7);
            p.control->SetZoomPosition(p.stream, key, i % 3 - 1, i % 5 - 2);
            if (i % 10 == 0) {
                p.control->ResetPictureSize(p.stream, key);
            }
            if (i % 4 == 0) {
                p.control->SetDefaultSize(p.stream, key);
            }
        });
    }
    // The agent manager's writer (an agent being registered, say), at work for
    // as long as the setters run: a wrong lock order deadlocks only while a
    // writer waits.
    std::atomic<bool> bDone{false};
    std::thread writer([&bDone] {
        while (!bDone.load()) {
            host::LockAgentManagerExclusive();
            std::this_thread::yield();
            host::UnlockAgentManagerExclusive();
        }
    });
    RunTogether(jobs, 100);
    bDone = true;
    writer.join();
    ExpectRememberedEqualsSink(paths);
}

}  // namespace
