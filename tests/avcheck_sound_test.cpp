// Capability checks: analog sound-mode availability of the ATSC/ISDB and DVB
// check classes.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "AVCheck.h"
#include "AVCheckATSC.h"
#include "AVCheckDVB.h"
#include "avcheck_helpers.h"
#include "host/HostControl.h"

namespace {

using avcheck_test::CountCalls;
using avcheck_test::CountLogExact;
using avcheck_test::LogLevelOf;

constexpr int kMtsProperty = 20;
constexpr int kDualProperty = 26;

struct ModeRule {
    int mode;
    std::set<int> signals;  // tuner sound types that allow the mode
};

bool Allowed(const std::vector<ModeRule>& rules, int mode, int signal) {
    for (const ModeRule& rule : rules) {
        if (rule.mode == mode) {
            return rule.signals.count(signal) != 0;
        }
    }
    return false;
}

class AVCheckSound : public ::testing::Test {
protected:
    void SetUp() override { host::Reset(); }

    // Runs the check on a fresh object of the class; nullopt country = unset.
    template <typename Check>
    bool Run(std::optional<int> country, int property, int signal, int mode) {
        if (country) {
            host::SetSpecTag(1, *country);
        } else {
            host::UnsetSpecTag(1);
        }
        host::SetProp(host::DefaultStream(), property, signal);
        host::ClearLog();
        host::ClearJournal();
        Check check;
        bool bCheck = true;  // the check must reset the flag itself
        check.CheckAnalogMTS(host::DefaultStream(), static_cast<EMultiSoundMode>(mode), bCheck);
        return bCheck;
    }
};

TEST_F(AVCheckSound, AtscTablesByCountry) {
    const std::vector<ModeRule> korea = {
        {MULTI_SOUND_MONO, {0, 1, 2}},
        {MULTI_SOUND_STEREO, {2}},
        {MULTI_SOUND_DUAL_I, {4, 5, 6}},
        {MULTI_SOUND_DUAL_II, {4, 5, 6}},
        {MULTI_SOUND_DUAL, {4, 5, 6}},
    };
    const std::vector<ModeRule> others = {
        {MULTI_SOUND_MONO, {0, 1, 2, 3, 7}},
        {MULTI_SOUND_STEREO, {0, 1, 2, 3, 7}},
        {MULTI_SOUND_SAP, {0, 1, 2, 3, 7}},
    };
    struct Row {
        std::optional<int> country;
        const std::vector<ModeRule>* rules;
        bool monoAlways;
    };
    const Row rows[] = {{2, &korea, false}, {1, &others, false}, {4, &others, false}, {std::nullopt, &others, true}};
    for (const Row& row : rows) {
        for (int mode = 0; mode <= 12; ++mode) {
            for (int signal = 0; signal <= 8; ++signal) {
                SCOPED_TRACE("country " + (row.country ? std::to_string(*row.country) : std::string("unset")) +
                             " mode " + std::to_string(mode) + " signal " + std::to_string(signal));
                const bool expected =
                    Allowed(*row.rules, mode, signal) || (row.monoAlways && mode == MULTI_SOUND_MONO);
                EXPECT_EQ(Run<TCAVCheckATSC>(row.country, kMtsProperty, signal, mode), expected);
                const std::string final = "[TCAnalogMtsATSC::CheckAnalogMTS]sigmal_mts_mode[" +
                                          std::to_string(signal) + "], checkMode[" + std::to_string(mode) +
                                          "], bCheck[" + std::to_string(expected) + "]\n";
                EXPECT_EQ(CountLogExact(final), 1);
            }
        }
    }
}

TEST_F(AVCheckSound, AtscMessagesAndCalls) {
    // Korea, mono on a SAP signal: not offered.
    EXPECT_FALSE(Run<TCAVCheckATSC>(2, kMtsProperty, 3, MULTI_SOUND_MONO));
    EXPECT_EQ(CountLogExact("[TCAnalogMtsATSC::CheckAnalogMTS] is called, sigmal_mts_mode[3]\n"), 1);
    EXPECT_EQ(CountLogExact("[TCAnalogMtsATSC::t_CheckAnalogMTS] country [2]\n"), 1);
    EXPECT_EQ(CountLogExact("[TCAnalogMtsATSC::CheckAnalogMTS] country is COUNTRY_KOR\n"), 1);
    EXPECT_FALSE(host::LogContains("COUNTRY_USA"));
    EXPECT_EQ(LogLevelOf("[TCAnalogMtsATSC::CheckAnalogMTS]sigmal_mts_mode[3], checkMode[1], bCheck[0]\n"), 1);
    EXPECT_EQ(CountCalls("tv_stream_get_property"), 1);
    EXPECT_EQ(CountCalls("tv_stream_get_property", std::to_string(kMtsProperty)), 1);

    // USA: SAP on a mono signal is offered.
    EXPECT_TRUE(Run<TCAVCheckATSC>(1, kMtsProperty, 1, MULTI_SOUND_SAP));
    EXPECT_EQ(CountLogExact("[TCAnalogMtsATSC::CheckAnalogMTS] country is COUNTRY_USA or ISDB country[1], "
                            "signal_mts_mode[1], bCheck[1]\n"),
              1);
    EXPECT_FALSE(host::LogContains("Default Menu Show"));

    // Unset country: mono is offered whatever the signal, with its message.
    EXPECT_TRUE(Run<TCAVCheckATSC>(std::nullopt, kMtsProperty, 5, MULTI_SOUND_MONO));
    EXPECT_TRUE(host::LogContains("[TCSOSpec::Get] tag[1] failed"));
    EXPECT_EQ(CountLogExact("[TCAnalogMtsATSC::CheckAnalogMTS] country is COUNTRY_USA or ISDB country[-1], "
                            "signal_mts_mode[5], bCheck[0]\n"),
              1);
    EXPECT_EQ(CountLogExact("[TCAnalogMtsATSC::t_CheckAnalogMTS] country [-1], Default Menu Show - MONO\n"), 1);

    // A negative signal ends the check before the country is read.
    for (bool unset : {false, true}) {
        SCOPED_TRACE(unset ? "unset property" : "negative value");
        host::UnsetSpecTag(1);
        if (unset) {
            host::UnsetProp(host::DefaultStream(), kMtsProperty);
        } else {
            host::SetProp(host::DefaultStream(), kMtsProperty, -4);
        }
        host::ClearLog();
        TCAVCheckATSC check;
        bool bCheck = true;
        check.CheckAnalogMTS(host::DefaultStream(), MULTI_SOUND_MONO, bCheck);
        EXPECT_FALSE(bCheck);
        const std::string failed = "[TCAnalogMtsATSC::CheckAnalogMTS] failed to get value from vconf. "
                                   "sigmal_mts_mode[" +
                                   std::string(unset ? "-1" : "-4") + "]\n";
        EXPECT_EQ(CountLogExact(failed), 1);
        EXPECT_FALSE(host::LogContains("tag[1] failed"));
        EXPECT_FALSE(host::LogContains("sigmal_mts_mode[-1], checkMode"));
        EXPECT_FALSE(host::LogContains("sigmal_mts_mode[-4], checkMode"));
    }
}

TEST_F(AVCheckSound, DvbTableAndUnsetCountry) {
    const std::vector<ModeRule> table = {
        {MULTI_SOUND_MONO, {0, 1, 3, 4, 5, 6, 7, 8}},
        {MULTI_SOUND_STEREO, {3}},
        {MULTI_SOUND_DUAL_I, {2, 9, 10}},
        {MULTI_SOUND_DUAL_II, {2, 9, 10}},
        {MULTI_SOUND_EXT_MONO, {4}},
        {MULTI_SOUND_EXT_STEREO, {6}},
        {MULTI_SOUND_EXT_DUAL_I, {5, 7, 8}},
        {MULTI_SOUND_EXT_DUAL_II, {5, 7, 8}},
    };
    for (std::optional<int> country : {std::optional<int>(5), std::optional<int>(2), std::optional<int>()}) {
        for (int mode = 0; mode <= 13; ++mode) {
            for (int dual = 0; dual <= 11; ++dual) {
                SCOPED_TRACE("country " + (country ? std::to_string(*country) : std::string("unset")) + " mode " +
                             std::to_string(mode) + " dual " + std::to_string(dual));
                const bool expected = Allowed(table, mode, dual) || (!country && mode == MULTI_SOUND_MONO);
                EXPECT_EQ(Run<TCAVCheckDVB>(country, kDualProperty, dual, mode), expected);
                const std::string final = "[TCAVCheckDVB::CheckAnalogMTS]sigmal_mts_mode[" + std::to_string(dual) +
                                          "], checkMode[" + std::to_string(mode) + "], bCheck[" +
                                          std::to_string(expected) + "]\n";
                EXPECT_EQ(CountLogExact(final), 1);
            }
        }
    }
}

TEST_F(AVCheckSound, DvbMessagesAndCalls) {
    // Mono on a dual broadcast: refused unless the country is unset.
    EXPECT_FALSE(Run<TCAVCheckDVB>(5, kDualProperty, 2, MULTI_SOUND_MONO));
    EXPECT_EQ(CountLogExact("[TCAVCheckDVB::CheckAnalogMTS] country [5]\n"), 1);
    EXPECT_FALSE(host::LogContains("Default Menu Show"));
    EXPECT_EQ(CountCalls("tv_stream_get_property"), 1);
    EXPECT_EQ(CountCalls("tv_stream_get_property", std::to_string(kDualProperty)), 1);

    EXPECT_TRUE(Run<TCAVCheckDVB>(std::nullopt, kDualProperty, 2, MULTI_SOUND_MONO));
    EXPECT_EQ(CountLogExact("[TCAVCheckDVB::CheckAnalogMTS] country [-1], Default Menu Show - MONO\n"), 1);
    EXPECT_EQ(LogLevelOf("[TCAVCheckDVB::CheckAnalogMTS]sigmal_mts_mode[2], checkMode[1], bCheck[1]\n"), 1);

    // A read that writes nothing keeps the preset 0: mono is offered.
    host::SetSpecTag(1, 5);
    host::UnsetProp(host::DefaultStream(), kDualProperty);
    host::ClearLog();
    TCAVCheckDVB check;
    bool bCheck = false;
    check.CheckAnalogMTS(host::DefaultStream(), MULTI_SOUND_MONO, bCheck);
    EXPECT_TRUE(bCheck);
    EXPECT_EQ(CountLogExact("[TCAVCheckDVB::CheckAnalogMTS]sigmal_mts_mode[0], checkMode[1], bCheck[1]\n"), 1);

    // A negative type ends the check before the country is read.
    host::UnsetSpecTag(1);
    host::SetProp(host::DefaultStream(), kDualProperty, -2);
    host::ClearLog();
    bCheck = true;
    check.CheckAnalogMTS(host::DefaultStream(), MULTI_SOUND_MONO, bCheck);
    EXPECT_FALSE(bCheck);
    EXPECT_EQ(CountLogExact("[TCAVCheckDVB::CheckAnalogMTS] failed to get value from vconf. sigmal_mts_mode[-2]\n"),
              1);
    EXPECT_FALSE(host::LogContains("tag[1] failed"));
    EXPECT_FALSE(host::LogContains("Default Menu Show"));
}

// The front operation dispatches to the region class of the singleton.
TEST_F(AVCheckSound, SingletonDispatchesToRegionClass) {
    host::SetSpecTag(1, 5);
    host::SetProp(host::DefaultStream(), kMtsProperty, 7);
    host::SetProp(host::DefaultStream(), kDualProperty, 3);
    struct Row {
        int region;
        int mode;
        bool expected;
        const char* property;
    };
    const Row rows[] = {
        {1, MULTI_SOUND_SAP, true, "20"},      // ATSC: SAP on stereo+SAP
        {1, MULTI_SOUND_STEREO, true, "20"},   //
        {5, MULTI_SOUND_SAP, false, "26"},     // DVB: no SAP
        {5, MULTI_SOUND_STEREO, true, "26"},   // DVB: stereo on stereo
        {3, MULTI_SOUND_DUAL_I, false, "20"},  // ISDB: no dual outside Korea
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("region " + std::to_string(row.region) + " mode " + std::to_string(row.mode));
        host::SetOption(0, row.region);
        TCAVCheck* check = TCAVCheck::GetInstance();
        host::ClearJournal();
        bool bCheck = !row.expected;
        check->CheckAnalogMTS(host::DefaultStream(), static_cast<EMultiSoundMode>(row.mode), bCheck);
        EXPECT_EQ(bCheck, row.expected);
        EXPECT_EQ(CountCalls("tv_stream_get_property", row.property), 1);
        EXPECT_EQ(CountCalls("tv_stream_get_property"), 1);
    }
}

}  // namespace
