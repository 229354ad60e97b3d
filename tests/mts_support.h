// Shared set-up of the analog sound-mode tests: a reset stand-in and readers
// of what the controllers left on the platform.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "host/HostControl.h"
#include "host_support.h"
#include "vconf.h"

namespace mts_test {

using namespace test_support;

// Framework region options (factory option 0): DVB rules, ATSC rules (Korea
// for the menu's auto-stereo rule), ISDB rules.
constexpr int kRegionDvb = 0;
constexpr int kRegionKorea = 1;
constexpr int kRegionIsdb = 3;
constexpr int kCountryKorea = 2;
constexpr int kCountryUsa = 0;  // any set country other than Korea
constexpr int kPropMts = 20;
constexpr int kPropDual = 26;
// Bytes 0-2 of the fast-boot audio record must survive every store.
constexpr std::array<uint8_t, 4> kFbSeed = {0x11, 0x22, 0x33, 0x99};

// Resets the stand-in for one region and country.
inline void ResetPlatform(int region, int country) {
    host::Reset();
    host::SetFbAudio(kFbSeed);
    host::SetOption(0, region);
    host::SetSpecTag(1, country);
}
inline void MtsSignal(int mts) { host::SetProp(host::DefaultStream(), kPropMts, mts); }
inline void DualSignal(int dual) { host::SetProp(host::DefaultStream(), kPropDual, dual); }
inline void StoreMode(int mode) { host::SetVconfInt(VCONFKEY_MULTI_TRACK_SOUND, mode); }
inline int StoredMode() {
    auto value = host::GetVconf(VCONFKEY_MULTI_TRACK_SOUND);
    return value ? value->intValue : -100;
}
inline int LastSet(int id) {
    auto value = host::LastSetProp(host::DefaultStream(), id);
    return value ? static_cast<int>(*value) : -100;
}
// Byte 3 of the fast-boot audio record, -100 when bytes 0-2 were not kept.
inline int FbSoundByte() {
    const std::array<uint8_t, 4> fb = host::FbAudio();
    return fb[0] == kFbSeed[0] && fb[1] == kFbSeed[1] && fb[2] == kFbSeed[2] ? fb[3] : -100;
}

}  // namespace mts_test
