// Shared set-up of the analog sound-mode tests: a reset stand-in and readers
// of what the controllers left on the platform.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "host/HostControl.h"
#include "vconf.h"

namespace mts_test {

// Framework region options (factory option 0) of each rule family.
constexpr int kRegionDvb = 0;
constexpr int kRegionKorea = 1;  // ATSC rules; Korea for the menu's auto-stereo rule
constexpr int kRegionIsdb = 3;

constexpr int kCountryKorea = 2;
constexpr int kCountryUsa = 0;  // any set country other than Korea

constexpr int kPropMts = 20;
constexpr int kPropDual = 26;

// Bytes 0-2 of the fast-boot audio record that the controllers must keep.
constexpr std::array<uint8_t, 4> kFbAudioSeed = {0x11, 0x22, 0x33, 0x99};

class MtsTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::Reset();
        stream = host::DefaultStream();
        host::SetFbAudio(kFbAudioSeed);
    }

    static int StoredMode() {
        auto value = host::GetVconf(VCONFKEY_MULTI_TRACK_SOUND);
        return value ? value->intValue : -100;
    }
    int LastSet(int id) const {
        auto value = host::LastSetProp(stream, id);
        return value ? static_cast<int>(*value) : -100;
    }
    // Byte 3 of the fast-boot audio record; fails the test when bytes 0-2
    // were not kept.
    static int FbSoundByte() {
        const std::array<uint8_t, 4> fb = host::FbAudio();
        EXPECT_EQ(fb[0], kFbAudioSeed[0]);
        EXPECT_EQ(fb[1], kFbAudioSeed[1]);
        EXPECT_EQ(fb[2], kFbAudioSeed[2]);
        return fb[3];
    }
    static int CountCalls(const std::string& name) {
        int n = 0;
        for (const host::JournalEntry& e : host::Journal()) {
            n += e.name == name ? 1 : 0;
        }
        return n;
    }
    // The journal as "NAME ARG..." lines, only for the named calls.
    static std::vector<std::string> JournalOf(const std::set<std::string>& names) {
        std::vector<std::string> lines;
        for (const host::JournalEntry& e : host::Journal()) {
            if (names.count(e.name) == 0) {
                continue;
            }
            std::string line = e.name;
            for (const std::string& arg : e.args) {
                line += ' ' + arg;
            }
            lines.push_back(line);
        }
        return lines;
    }

    TVStream stream = nullptr;
};

}  // namespace mts_test
