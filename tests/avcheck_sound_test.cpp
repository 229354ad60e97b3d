// Capability checks: analog sound-mode availability of the ATSC/ISDB and DVB
// check classes, row by row of their rules.
#include <gtest/gtest.h>

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

constexpr int kUnset = -100;  // country tag unreadable

// Runs the check on a fresh object of the class; the flag starts opposite to
// the expected answer, so the check must set it.
template <typename Check>
void Expect(int country, int property, int signal, EMultiSoundMode mode, bool expected, const std::string& final) {
    host::Reset();
    country == kUnset ? host::UnsetSpecTag(1) : host::SetSpecTag(1, country);
    host::SetProp(host::DefaultStream(), property, signal);
    Check check;
    bool bCheck = !expected;
    check.CheckAnalogMTS(host::DefaultStream(), mode, bCheck);
    const std::string where = "country " + std::to_string(country) + " signal " + std::to_string(signal) + " mode " +
                              std::to_string(mode);
    EXPECT_EQ(bCheck, expected) << where;
    EXPECT_EQ(CountLogExact(final + "sigmal_mts_mode[" + std::to_string(signal) + "], checkMode[" +
                            std::to_string(mode) + "], bCheck[" + std::to_string(expected) + "]\n"),
              1)
        << where;
    EXPECT_EQ(CountCalls("tv_stream_get_property", std::to_string(property)), 1) << where;
}

// For each row of the rules, a signal that allows the mode and one that does not.
TEST(AVCheckSound, AtscRowsByCountry) {
    struct Row {
        int country;
        EMultiSoundMode mode;
        int signal;
        bool expected;
    } const rows[] = {
        // Korea
        {2, MULTI_SOUND_MONO, 0, true},      {2, MULTI_SOUND_MONO, 2, true},     {2, MULTI_SOUND_MONO, 3, false},
        {2, MULTI_SOUND_STEREO, 2, true},    {2, MULTI_SOUND_STEREO, 7, false},  {2, MULTI_SOUND_DUAL_I, 4, true},
        {2, MULTI_SOUND_DUAL_II, 5, true},   {2, MULTI_SOUND_DUAL, 6, true},     {2, MULTI_SOUND_DUAL, 3, false},
        {2, MULTI_SOUND_SAP, 3, false},      {2, MULTI_SOUND_STEREO_SAP, 7, false},
        // USA and ISDB countries: mono, stereo and SAP on a signal below 4 or 7
        {1, MULTI_SOUND_SAP, 1, true},       {1, MULTI_SOUND_SAP, 5, false},     {4, MULTI_SOUND_STEREO, 7, true},
        {4, MULTI_SOUND_MONO, 3, true},      {4, MULTI_SOUND_MONO, 5, false},    {1, MULTI_SOUND_STEREO, 4, false},
        {1, MULTI_SOUND_DUAL_I, 5, false},   {1, MULTI_SOUND_STEREO_SAP, 7, false},
        // Country unset: mono always, other modes by the rule
        {kUnset, MULTI_SOUND_MONO, 5, true}, {kUnset, MULTI_SOUND_STEREO, 5, false},
    };
    for (const Row& row : rows) {
        Expect<TCAVCheckATSC>(row.country, 20, row.signal, row.mode, row.expected, "[TCAnalogMtsATSC::CheckAnalogMTS]");
    }
}

TEST(AVCheckSound, DvbRows) {
    struct Row {
        int country;
        EMultiSoundMode mode;
        int dual;
        bool expected;
    } const rows[] = {
        {5, MULTI_SOUND_MONO, 0, true},          {5, MULTI_SOUND_MONO, 8, true},
        {5, MULTI_SOUND_MONO, 2, false},         {5, MULTI_SOUND_MONO, 11, false},
        {5, MULTI_SOUND_STEREO, 3, true},        {5, MULTI_SOUND_STEREO, 6, false},
        {5, MULTI_SOUND_DUAL_I, 9, true},        {5, MULTI_SOUND_DUAL_II, 10, true},
        {5, MULTI_SOUND_DUAL_II, 5, false},      {5, MULTI_SOUND_EXT_MONO, 4, true},
        {5, MULTI_SOUND_EXT_MONO, 1, false},     {5, MULTI_SOUND_EXT_STEREO, 6, true},
        {5, MULTI_SOUND_EXT_DUAL_I, 5, true},    {5, MULTI_SOUND_EXT_DUAL_II, 8, true},
        {5, MULTI_SOUND_EXT_DUAL_II, 2, false},  {5, MULTI_SOUND_DUAL, 2, false},
        {5, MULTI_SOUND_SAP, 3, false},          {5, MULTI_SOUND_EXT_DUAL, 5, false},
        {2, MULTI_SOUND_MONO, 9, false},         {kUnset, MULTI_SOUND_MONO, 2, true},
    };
    for (const Row& row : rows) {
        Expect<TCAVCheckDVB>(row.country, 26, row.dual, row.mode, row.expected, "[TCAVCheckDVB::CheckAnalogMTS]");
    }
}

TEST(AVCheckSound, MessagesOfTheCountryBranches) {
    Expect<TCAVCheckATSC>(2, 20, 3, MULTI_SOUND_MONO, false, "[TCAnalogMtsATSC::CheckAnalogMTS]");
    EXPECT_EQ(CountLogExact("[TCAnalogMtsATSC::CheckAnalogMTS] is called, sigmal_mts_mode[3]\n"), 1);
    EXPECT_EQ(CountLogExact("[TCAnalogMtsATSC::t_CheckAnalogMTS] country [2]\n"), 1);
    EXPECT_EQ(LogLevelOf("[TCAnalogMtsATSC::CheckAnalogMTS]sigmal_mts_mode[3], checkMode[1], bCheck[0]\n"), 1);

    Expect<TCAVCheckATSC>(kUnset, 20, 5, MULTI_SOUND_MONO, true, "[TCAnalogMtsATSC::CheckAnalogMTS]");
    EXPECT_TRUE(host::LogContains("[TCSOSpec::Get] tag[1] failed"));
    EXPECT_EQ(CountLogExact("[TCAnalogMtsATSC::CheckAnalogMTS] country is COUNTRY_USA or ISDB country[-1], "
                            "signal_mts_mode[5], bCheck[0]\n"),
              1);

    Expect<TCAVCheckDVB>(kUnset, 26, 2, MULTI_SOUND_MONO, true, "[TCAVCheckDVB::CheckAnalogMTS]");
    EXPECT_EQ(CountLogExact("[TCAVCheckDVB::CheckAnalogMTS] country [-1]\n"), 1);
}

// A failed tuner read ends the check false before the country is read; a DVB
// read that writes nothing keeps the preset 0.
TEST(AVCheckSound, FailedTunerReads) {
    struct Row {
        bool bDvb;
        int value;  // kUnset: the property is unset
        bool expected;
        const char* message;
    } const rows[] = {
        {false, -4, false, "[TCAnalogMtsATSC::CheckAnalogMTS] failed to get value from vconf. sigmal_mts_mode[-4]\n"},
        {true, -2, false, "[TCAVCheckDVB::CheckAnalogMTS] failed to get value from vconf. sigmal_mts_mode[-2]\n"},
        {true, kUnset, true, "[TCAVCheckDVB::CheckAnalogMTS]sigmal_mts_mode[0], checkMode[1], bCheck[1]\n"},
    };
    for (const Row& row : rows) {
        host::Reset();
        host::SetSpecTag(1, 5);
        const int property = row.bDvb ? 26 : 20;
        row.value == kUnset ? host::UnsetProp(host::DefaultStream(), property)
                            : host::SetProp(host::DefaultStream(), property, row.value);
        bool bCheck = !row.expected;
        TCAVCheckATSC atsc;
        TCAVCheckDVB dvb;
        (row.bDvb ? static_cast<TCAVCheck&>(dvb) : atsc).CheckAnalogMTS(host::DefaultStream(), MULTI_SOUND_MONO, bCheck);
        EXPECT_EQ(bCheck, row.expected) << row.message;
        EXPECT_EQ(CountLogExact(row.message), 1) << row.message;
        EXPECT_EQ(CountCalls("TCSOSpec::m_Get"), row.expected ? 1 : 0) << row.message;
    }
}

}  // namespace
