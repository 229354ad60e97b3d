// Capability checks: region rule, instance creation and the singleton.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "AVCheck.h"
#include "AVCheckATSC.h"
#include "AVCheckDVB.h"
#include "avcheck_helpers.h"
#include "host/HostControl.h"

namespace {

using avcheck_test::CountLogExact;
using avcheck_test::LogLevelOf;

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
    struct Row {
        std::vector<int> regions;
        std::vector<int> countries;
        EAVCheckRegion expected;
        std::string message;  // after "[TCAVCheck::GetAVCheckRegion] "; "Country[" + country when it ends in "]"
        int level;
    } const rows[] = {
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
    struct Step {
        int region;
        int analogCountry;
        bool bDvb;
        bool bNew;
    } const steps[] = {
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
class TCAVCheckProbe : public TCAVCheck {
public:
    using TCAVCheck::t_CheckAnalogMTS;
    using TCAVCheck::t_CheckAspectRatio;
};
class TCAVCheckATSCProbe : public TCAVCheckATSC {
public:
    using TCAVCheckATSC::t_CheckAspectRatio;
};
class TCAVCheckDVBProbe : public TCAVCheckDVB {
public:
    using TCAVCheckDVB::t_CheckAspectRatio;
};

TEST_F(AVCheckRegion, HooksOfBaseAndOldAspectRatioApi) {
    TCAVCheckProbe base;
    TCAVCheckATSCProbe atsc;
    TCAVCheckDVBProbe dvb;
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

}  // namespace
