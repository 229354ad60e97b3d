// Capability checks: region rule, instance creation and the singleton, and
// the analog sound-mode availability of the ATSC/ISDB and DVB check classes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <tvav/AVCheck.h>
#include <tvav/AVCheckATSC.h>
#include <tvav/AVCheckDVB.h>
#include "host/HostControl.h"
#include "host_support.h"

namespace {

using namespace test_support;

class AVCheckRegion : public ::testing::Test {
protected:
    void SetUp() override { host::Reset(); }
};

// The rule set of every region, with its message and the closing summary;
// the analog country is read whatever the region.
TEST_F(AVCheckRegion, RegionRule) {
    const std::string atsc = "] is UNKOWN or SELA_ATV[73] or SELA_ATSC[87], so return  AV_CHECK_REGION_ATSC";
    const std::string isdb =
        "] is EQUADOR[69] or SELA_ISDB[74] or PANAMA[1] or COSTARICA[80], so return  AV_CHECK_REGION_ISDB";
    const std::string dvb = "] is default, so return  AV_CHECK_REGION_DVB";
    // message: after "[TCAVCheck::GetAVCheckRegion] "; at level 1 after "current Country[" and the country.
    struct Row { std::vector<int> regions, countries; EAVCheckRegion expected; std::string message; int level; };
    const Row rows[] = {
        {{1, 2, 34}, {75}, AV_CHECK_REGION_ATSC, "return  AV_CHECK_REGION_ATSC", 4},
        {{3, 10, 13, 14, 15, 17, 18, 20, 21, 36, 37}, {75}, AV_CHECK_REGION_ISDB, "return  AV_CHECK_REGION_ISDB", 4},
        {{0, 4, 9, 11, 12, 16, 19, 22, 24, 30, 33, 38, 100, -1}, {75}, AV_CHECK_REGION_DVB,
         "DEFAULT !! so return  AV_CHECK_REGION_DVB", 4},
        {{25, 26, 27, 28, 29, 35}, {-1, 73, 87}, AV_CHECK_REGION_ATSC, atsc, 1},
        {{25, 29, 35}, {69, 74, 75, 80, 1}, AV_CHECK_REGION_ISDB, isdb, 1},
        {{25, 28, 35}, {2, 0, -2, 88}, AV_CHECK_REGION_DVB, dvb, 1},
    };
    for (const Row& row : rows) {
        for (int region : row.regions) {
            for (int country : row.countries) {
                SCOPED_TRACE("region " + std::to_string(region) + " country " + std::to_string(country));
                host::SetAnalogCountry(country);
                host::ClearLog();
                host::ClearJournal();
                EXPECT_EQ(TCAVCheck::GetAVCheckRegion(region), row.expected);
                const std::string message = row.level == 1 ? "current Country[" + std::to_string(country) + row.message
                                                           : row.message;
                EXPECT_EQ(CountLogExact("[TCAVCheck::GetAVCheckRegion] " + message), 1);
                EXPECT_EQ(LogLevelOf("[TCAVCheck::GetAVCheckRegion] " + message), row.level);
                EXPECT_EQ(LogLevelOf("[TCAnalogMts::m_CheckMTSDualRegin] LocalSet_Region[" + std::to_string(region) +
                                     "], Country[" + std::to_string(country) + "], resultSpec[" +
                                     std::to_string(row.expected) + "]"),
                          4);
                ASSERT_EQ(host::JournalSize(), 1u);
                EXPECT_EQ(host::Journal()[0].name, "TCVConfProvider::GetAnalogCountry");
            }
        }
    }
}

TEST_F(AVCheckRegion, InstanceIsKeptWhileTheRegionStaysAndReplacedOnChange) {
    const std::string changing = "[TCAVCheck::GetAVCheckRegion] Changing TV_Standard_Spec !!, eAVCheckRegion[";
    host::SetOption(24, 4);  // every instance below is built for product type 4
    struct Step { int region, analogCountry; bool bDvb, bNew; } const steps[] = {
        {1, -1, false, true},   // ATSC
        {34, -1, false, false},  // ATSC again: kept
        {3, -1, false, true},   // ISDB: a new object of the same class
        {5, -1, true, true},    // DVB
        {-7, -1, true, false},  // unreadable or unknown regions are DVB: kept
        {35, 75, false, true},  // the analog country alone switches the family
        {35, 2, true, true},
    };
    host::SetOption(0, 5);
    TCAVCheck* previous = TCAVCheck::GetInstance();  // start from DVB
    std::vector<TCAVCheck*> handedOut;
    for (const Step& step : steps) {
        SCOPED_TRACE("region " + std::to_string(step.region));
        host::SetOption(0, step.region);
        host::SetAnalogCountry(step.analogCountry);
        host::ClearLog();
        TCAVCheck* check = TCAVCheck::GetInstance();
        ASSERT_NE(check, nullptr);
        EXPECT_EQ(dynamic_cast<TCAVCheckDVB*>(check) != nullptr, step.bDvb);
        EXPECT_EQ(check != previous, step.bNew);
        EXPECT_EQ(host::LogContains(changing), step.bNew);
        EXPECT_EQ(LogLevelOf(changing), step.bNew ? std::optional<int>(1) : std::nullopt);
        EXPECT_EQ(CountLogExact(step.bDvb ? "[TCAVCheck::GetInstance] get TCAVCheckDVB instance :: Dual I-II"
                                          : "[TCAVCheck::GetInstance] get TCAVCheckATSC instance :: MTS"),
                  step.bNew ? 1 : 0);
        EXPECT_EQ(CountLogExact("[TCAVCheck] m_product_type[4]"), step.bNew ? 1 : 0);
        EXPECT_EQ(TCAVCheck::GetInstance(), check);
        handedOut.push_back(check);
        previous = check;
    }
    // Pointers handed out before a replacement keep answering as their class
    // and with the product type they were built with.
    host::SetSpecTag(1, 5);
    host::SetProp(host::DefaultStream(), 20, 2);  // ATSC: stereo available
    host::SetProp(host::DefaultStream(), 26, 0);  // DVB: stereo unavailable
    TSAspectRatioKey key;
    key.resolution = 0x5005B;
    TSSourceTypeInfo fourThree;
    fourThree.pictureSize = PICTURESIZETYPE_4_3;
    host::SetOption(24, 0);
    for (size_t i = 0; i < handedOut.size(); ++i) {
        bool bStereo = false;
        handedOut[i]->CheckAnalogMTS(host::DefaultStream(), MULTI_SOUND_STEREO, bStereo);
        EXPECT_EQ(bStereo, !steps[i].bDvb) << "instance " << i;
        bool bFit = false;  // 4:3 at 2560x1080 fits only on product type 4
        handedOut[i]->CheckScreenFitOption(host::DefaultStream(), key, fourThree, SCREENFITOPTION_ON, bFit);
        EXPECT_TRUE(bFit) << "instance " << i;
    }
    host::UnsetOption(24);  // unreadable: 0
    host::ClearLog();
    TCAVCheck plain;
    EXPECT_EQ(CountLogExact("[TCAVCheck] m_product_type[0]"), 1);
}

// The base hooks and the old aspect-ratio hook leave the flag alone.
template <typename Check>
struct HookProbe : Check {
    using Check::t_CheckAnalogMTS;
    using Check::t_CheckAspectRatio;
};

TEST_F(AVCheckRegion, HooksOfBaseAndOldAspectRatioApi) {
    HookProbe<TCAVCheck> base;
    HookProbe<TCAVCheckATSC> atsc;
    HookProbe<TCAVCheckDVB> dvb;
    for (bool initial : {false, true}) {
        host::Reset();
        bool flag = initial;
        base.t_CheckAnalogMTS(host::DefaultStream(), MULTI_SOUND_MONO, flag);
        base.t_CheckAspectRatio(TSAspectRatioKey(), TSSourceTypeInfo(), flag);
        EXPECT_EQ(host::JournalSize(), 0u);
        atsc.t_CheckAspectRatio(TSAspectRatioKey(), TSSourceTypeInfo(), flag);
        dvb.t_CheckAspectRatio(TSAspectRatioKey(), TSSourceTypeInfo(), flag);
        EXPECT_EQ(flag, initial);
        EXPECT_EQ(LogLevelOf("[TCAnalogMtsATSC::t_CheckAspectRatio] is old api, will be removed"), 1);
        EXPECT_EQ(LogLevelOf("[TCAVCheckDVB::t_CheckAspectRatio] is old api, will be removed"), 1);
    }
}

constexpr int kUnset = -100;  // country tag unreadable, or tuner property unset

// For each row of the rules, a signal that allows the mode and one that does
// not. A failed tuner read (a negative value; an unset DVB property keeps the
// preset 0) ends the check false before the country is read.
TEST(AVCheckSound, AvailabilityByRegionCountryAndSignal) {
    const EMultiSoundMode M = MULTI_SOUND_MONO, S = MULTI_SOUND_STEREO, P = MULTI_SOUND_SAP;
    struct Row { bool bDvb; int country, signal; EMultiSoundMode mode; bool expected; const char* message = nullptr; };
    const Row rows[] = {
        // ATSC, Korea
        {false, 2, 0, M, true},  {false, 2, 2, M, true},  {false, 2, 3, M, false}, {false, 2, 2, S, true},
        {false, 2, 7, S, false}, {false, 2, 4, MULTI_SOUND_DUAL_I, true}, {false, 2, 5, MULTI_SOUND_DUAL_II, true},
        {false, 2, 6, MULTI_SOUND_DUAL, true}, {false, 2, 3, MULTI_SOUND_DUAL, false}, {false, 2, 3, P, false},
        {false, 2, 7, MULTI_SOUND_STEREO_SAP, false},
        // ATSC, USA and ISDB countries: mono, stereo and SAP on a signal below 4 or 7
        {false, 1, 1, P, true},  {false, 1, 5, P, false}, {false, 4, 7, S, true},  {false, 4, 3, M, true},
        {false, 4, 5, M, false}, {false, 1, 4, S, false}, {false, 1, 5, MULTI_SOUND_DUAL_I, false},
        {false, 1, 7, MULTI_SOUND_STEREO_SAP, false},
        // ATSC, country unset: mono always (the rule's own answer logged first), other modes by the rule
        {false, kUnset, 5, M, true,
         "[TCAnalogMtsATSC::CheckAnalogMTS] country is COUNTRY_USA or ISDB country[-1], signal_mts_mode[5], "
         "bCheck[0]\n"},
        {false, kUnset, 5, S, false},
        // DVB
        {true, 5, 0, M, true},  {true, 5, 8, M, true},  {true, 5, 2, M, false}, {true, 5, 11, M, false},
        {true, 5, 3, S, true},  {true, 5, 6, S, false}, {true, 5, 9, MULTI_SOUND_DUAL_I, true},
        {true, 5, 10, MULTI_SOUND_DUAL_II, true}, {true, 5, 5, MULTI_SOUND_DUAL_II, false},
        {true, 5, 4, MULTI_SOUND_EXT_MONO, true}, {true, 5, 1, MULTI_SOUND_EXT_MONO, false},
        {true, 5, 6, MULTI_SOUND_EXT_STEREO, true}, {true, 5, 5, MULTI_SOUND_EXT_DUAL_I, true},
        {true, 5, 8, MULTI_SOUND_EXT_DUAL_II, true}, {true, 5, 2, MULTI_SOUND_EXT_DUAL_II, false},
        {true, 5, 2, MULTI_SOUND_DUAL, false}, {true, 5, 3, P, false}, {true, 5, 5, MULTI_SOUND_EXT_DUAL, false},
        {true, 2, 9, M, false}, {true, kUnset, 2, M, true},
        // Failed tuner reads
        {false, 5, -4, M, false}, {true, 5, -2, M, false}, {true, 5, kUnset, M, true},
    };
    for (const Row& row : rows) {
        const int property = row.bDvb ? 26 : 20;
        const int signal = row.signal != kUnset ? row.signal : row.bDvb ? 0 : -1;
        const int country = row.country == kUnset ? -1 : row.country;
        SCOPED_TRACE((row.bDvb ? "DVB country " : "ATSC country ") + std::to_string(country) + " signal " +
                     std::to_string(signal) + " mode " + std::to_string(row.mode));
        host::Reset();
        row.country == kUnset ? host::UnsetSpecTag(1) : host::SetSpecTag(1, row.country);
        row.signal == kUnset ? host::UnsetProp(host::DefaultStream(), property)
                             : host::SetProp(host::DefaultStream(), property, row.signal);
        TCAVCheckATSC atsc;
        TCAVCheckDVB dvb;
        bool bCheck = !row.expected;  // the check must set it
        (row.bDvb ? static_cast<TCAVCheck&>(dvb) : atsc).CheckAnalogMTS(host::DefaultStream(), row.mode, bCheck);
        EXPECT_EQ(bCheck, row.expected);
        EXPECT_EQ(CountCalls("tv_stream_get_property", std::to_string(property)), 1);
        const std::string tag = row.bDvb ? "[TCAVCheckDVB::" : "[TCAnalogMtsATSC::";
        const std::string end = tag + "CheckAnalogMTS]sigmal_mts_mode[" + std::to_string(signal) + "], checkMode[" +
                                std::to_string(row.mode) + "], bCheck[" + std::to_string(row.expected) + "]\n";
        const bool bRead = signal >= 0;
        EXPECT_EQ(CountLogExact(end), bRead ? 1 : 0);
        EXPECT_EQ(LogLevelOf(end), bRead ? std::optional<int>(1) : std::nullopt);
        EXPECT_EQ(CountLogExact(tag + "CheckAnalogMTS] failed to get value from vconf. sigmal_mts_mode[" +
                                std::to_string(signal) + "]\n"),
                  bRead ? 0 : 1);
        EXPECT_EQ(CountLogExact("[TCAnalogMtsATSC::CheckAnalogMTS] is called, sigmal_mts_mode[" +
                                std::to_string(signal) + "]\n"),
                  row.bDvb ? 0 : 1);
        EXPECT_EQ(CountCalls("TCSOSpec::m_Get"), bRead ? 1 : 0);
        EXPECT_EQ(CountLogExact((row.bDvb ? "[TCAVCheckDVB::CheckAnalogMTS] country [" :
                                            "[TCAnalogMtsATSC::t_CheckAnalogMTS] country [") +
                                std::to_string(country) + "]\n"),
                  bRead ? 1 : 0);
        EXPECT_EQ(LogHas("[TCSOSpec::Get] tag[1] failed"), bRead && row.country == kUnset);
        if (row.message != nullptr) {
            EXPECT_EQ(CountLogExact(row.message), 1) << row.message;
        }
    }
}

}  // namespace
