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

const char kAtscText[] = "[TCAVCheck::GetAVCheckRegion] return  AV_CHECK_REGION_ATSC";
const char kIsdbText[] = "[TCAVCheck::GetAVCheckRegion] return  AV_CHECK_REGION_ISDB";
const char kDvbText[] = "[TCAVCheck::GetAVCheckRegion] DEFAULT !! so return  AV_CHECK_REGION_DVB";

class AVCheckRegion : public ::testing::Test {
protected:
    void SetUp() override { host::Reset(); }
};

// Regions whose rule set does not depend on the analog country.
TEST_F(AVCheckRegion, FixedRegionsGiveTheirRuleSetAndMessage) {
    struct Row {
        int region;
        EAVCheckRegion expected;
        const char* message;
    };
    std::vector<Row> rows;
    for (int region : {1, 2, 34}) {
        rows.push_back({region, AV_CHECK_REGION_ATSC, kAtscText});
    }
    for (int region : {3, 10, 13, 14, 15, 17, 18, 20, 21, 36, 37}) {
        rows.push_back({region, AV_CHECK_REGION_ISDB, kIsdbText});
    }
    for (int region : {0, 4, 5, 6, 7, 8, 9, 11, 12, 16, 19, 22, 23, 24, 30, 31, 32, 33, 38, 39, 100, -1, -25}) {
        rows.push_back({region, AV_CHECK_REGION_DVB, kDvbText});
    }
    // Any analog country: the fixed regions must not look at it.
    host::SetAnalogCountry(75);
    for (const Row& row : rows) {
        SCOPED_TRACE("region " + std::to_string(row.region));
        host::ClearLog();
        host::ClearJournal();
        EXPECT_EQ(TCAVCheck::GetAVCheckRegion(row.region), row.expected);
        // The analog country is read whatever the region, and nothing else.
        const auto journal = host::Journal();
        ASSERT_EQ(journal.size(), 1u);
        EXPECT_EQ(journal[0].name, "TCVConfProvider::GetAnalogCountry");
        EXPECT_EQ(CountLogExact(row.message), 1);
        EXPECT_EQ(LogLevelOf(row.message), 4);
        const std::string summary = "[TCAnalogMts::m_CheckMTSDualRegin] LocalSet_Region[" +
                                    std::to_string(row.region) + "], Country[75], resultSpec[" +
                                    std::to_string(row.expected) + "]";
        EXPECT_EQ(CountLogExact(summary), 1);
        EXPECT_EQ(LogLevelOf(summary), 4);
    }
}

// Regions 25-29 and 35 follow the analog country.
TEST_F(AVCheckRegion, CountryRuledRegionsFollowTheAnalogCountry) {
    const std::string atsc = "so return  AV_CHECK_REGION_ATSC";
    const std::string isdb = "so return  AV_CHECK_REGION_ISDB";
    struct Row {
        int country;
        EAVCheckRegion expected;
        std::string message;
    };
    auto atscMessage = [](int c) {
        return "[TCAVCheck::GetAVCheckRegion] current Country[" + std::to_string(c) +
               "] is UNKOWN or SELA_ATV[73] or SELA_ATSC[87], so return  AV_CHECK_REGION_ATSC";
    };
    auto isdbMessage = [](int c) {
        return "[TCAVCheck::GetAVCheckRegion] current Country[" + std::to_string(c) +
               "] is EQUADOR[69] or SELA_ISDB[74] or PANAMA[1] or COSTARICA[80], so return  AV_CHECK_REGION_ISDB";
    };
    auto dvbMessage = [](int c) {
        return "[TCAVCheck::GetAVCheckRegion] current Country[" + std::to_string(c) +
               "] is default, so return  AV_CHECK_REGION_DVB";
    };
    const std::vector<Row> rows = {
        {-1, AV_CHECK_REGION_ATSC, atscMessage(-1)}, {73, AV_CHECK_REGION_ATSC, atscMessage(73)},
        {87, AV_CHECK_REGION_ATSC, atscMessage(87)}, {69, AV_CHECK_REGION_ISDB, isdbMessage(69)},
        {74, AV_CHECK_REGION_ISDB, isdbMessage(74)}, {75, AV_CHECK_REGION_ISDB, isdbMessage(75)},
        {80, AV_CHECK_REGION_ISDB, isdbMessage(80)}, {1, AV_CHECK_REGION_ISDB, isdbMessage(1)},
        {2, AV_CHECK_REGION_DVB, dvbMessage(2)},     {0, AV_CHECK_REGION_DVB, dvbMessage(0)},
        {-2, AV_CHECK_REGION_DVB, dvbMessage(-2)},   {88, AV_CHECK_REGION_DVB, dvbMessage(88)},
    };
    for (int region : {25, 26, 27, 28, 29, 35}) {
        for (const Row& row : rows) {
            SCOPED_TRACE("region " + std::to_string(region) + " country " + std::to_string(row.country));
            host::SetAnalogCountry(row.country);
            host::ClearLog();
            EXPECT_EQ(TCAVCheck::GetAVCheckRegion(region), row.expected);
            EXPECT_EQ(CountLogExact(row.message), 1);
            EXPECT_EQ(LogLevelOf(row.message), 1);
            EXPECT_FALSE(host::LogContains(kDvbText));
            const std::string summary = "[TCAnalogMts::m_CheckMTSDualRegin] LocalSet_Region[" +
                                        std::to_string(region) + "], Country[" + std::to_string(row.country) +
                                        "], resultSpec[" + std::to_string(row.expected) + "]";
            EXPECT_EQ(CountLogExact(summary), 1);
        }
    }
}

TEST_F(AVCheckRegion, CreateInstanceBuildsTheRegionClassAndReadsProductType) {
    struct Row {
        EAVCheckRegion region;
        bool dvb;
        const char* message;
    };
    const Row rows[] = {
        {AV_CHECK_REGION_ATSC, false, "[TCAVCheck::GetInstance] get TCAVCheckATSC instance :: MTS"},
        {AV_CHECK_REGION_ISDB, false, "[TCAVCheck::GetInstance] get TCAVCheckATSC instance :: MTS"},
        {AV_CHECK_REGION_DVB, true, "[TCAVCheck::GetInstance] get TCAVCheckDVB instance :: Dual I-II"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.region);
        host::ClearLog();
        host::SetOption(24, 4);
        TCAVCheck* check = TCAVCheck::CreateInstance(row.region);
        ASSERT_NE(check, nullptr);
        EXPECT_EQ(dynamic_cast<TCAVCheckDVB*>(check) != nullptr, row.dvb);
        EXPECT_EQ(dynamic_cast<TCAVCheckATSC*>(check) != nullptr, !row.dvb);
        EXPECT_EQ(CountLogExact(row.message), 1);
        EXPECT_EQ(CountLogExact("[TCAVCheck] m_product_type[4]"), 1);
        delete check;
    }
    // Unreadable product type is 0.
    host::UnsetOption(24);
    host::ClearLog();
    TCAVCheck plain;
    EXPECT_EQ(CountLogExact("[TCAVCheck] m_product_type[0]"), 1);
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
}

// A derived check class reaches the base hooks, which leave the flag alone.
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
    host::ClearJournal();
    for (bool initial : {false, true}) {
        bool flag = initial;
        base.t_CheckAnalogMTS(host::DefaultStream(), MULTI_SOUND_MONO, flag);
        EXPECT_EQ(flag, initial);
        base.t_CheckAspectRatio(TSAspectRatioKey(), TSSourceTypeInfo(), flag);
        EXPECT_EQ(flag, initial);
    }
    EXPECT_EQ(host::JournalSize(), 0u);

    TCAVCheckATSCProbe atsc;
    TCAVCheckDVBProbe dvb;
    for (bool initial : {false, true}) {
        host::ClearLog();
        bool flag = initial;
        atsc.t_CheckAspectRatio(TSAspectRatioKey(), TSSourceTypeInfo(), flag);
        EXPECT_EQ(flag, initial);
        EXPECT_EQ(LogLevelOf("[TCAnalogMtsATSC::t_CheckAspectRatio] is old api, will be removed"), 1);
        dvb.t_CheckAspectRatio(TSAspectRatioKey(), TSSourceTypeInfo(), flag);
        EXPECT_EQ(flag, initial);
        EXPECT_EQ(LogLevelOf("[TCAVCheckDVB::t_CheckAspectRatio] is old api, will be removed"), 1);
    }
}

}  // namespace
