// Conversions between the menu's sound modes and the tuner's sound types.
#include "AnalogMtsATSC.h"
#include "AnalogMtsDVB.h"
#include "mts_support.h"

namespace {

using mts_test::MtsTest;

TEST_F(MtsTest, ConvertTunerMtsTypeToMode) {
    struct Row {
        int signal;
        int mode;
        bool bInvalidLogged;
    };
    const Row rows[] = {
        {-1, 1, true}, {0, 1, true}, {1, 1, false}, {2, 2, false}, {3, 3, false}, {4, 7, false},
        {5, 5, false}, {6, 6, false}, {7, 4, false}, {8, 1, true},  {42, 1, true},
    };
    TCAnalogMtsATSC atsc;
    for (const Row& row : rows) {
        host::ClearLog();
        EXPECT_EQ(atsc.ConvertTypeTvStreamAnalogMTSType(static_cast<TvStreamAnalogMTSType>(row.signal)), row.mode)
            << "signal " << row.signal;
        const std::string message = "[TCAnalogMtsATSC::ConvertTypeTvStreamAnalogMTSType] Invalid MTS Detect flag [" +
                                    std::to_string(row.signal) + "] set to MONO";
        EXPECT_EQ(host::LogContains(message), row.bInvalidLogged) << "signal " << row.signal;
    }
}

TEST_F(MtsTest, ConvertTunerDualTypeToMode) {
    const int modeOfDual[] = {0, 1, 7, 2, 8, 12, 9, 10, 11, 5, 6, 0, 0};  // dual types 0..12
    TCAnalogMtsDVB dvb;
    TCAnalogMtsATSC atsc;  // the conversion belongs to the front, shared by both
    for (int dual = 0; dual <= 12; ++dual) {
        const auto type = static_cast<TvStreamAnalogDualAudioType>(dual);
        EXPECT_EQ(dvb.ConvertTypeTvStreamAnalogDualAudioType(type), modeOfDual[dual]) << "dual " << dual;
        EXPECT_EQ(atsc.ConvertTypeTvStreamAnalogDualAudioType(type), modeOfDual[dual]) << "dual " << dual;
    }
    EXPECT_EQ(dvb.ConvertTypeTvStreamAnalogDualAudioType(static_cast<TvStreamAnalogDualAudioType>(-3)), 0);
}

TEST_F(MtsTest, ConvertModeToTunerTypes) {
    struct Row {
        int mode;
        int mts;   // ATSC/ISDB
        int dual;  // DVB
    };
    const Row rows[] = {
        {-1, 0, 0}, {0, 0, 0}, {1, 1, 1},  {2, 2, 3},  {3, 3, 0},  {4, 7, 0},  {5, 5, 9},  {6, 6, 10},
        {7, 4, 2},  {8, 0, 4}, {9, 0, 6},  {10, 0, 7}, {11, 0, 8}, {12, 0, 5}, {13, 0, 0},
    };
    TCAnalogMtsATSC atsc;
    TCAnalogMtsDVB dvb;
    for (const Row& row : rows) {
        const auto mode = static_cast<EMultiSoundMode>(row.mode);
        EXPECT_EQ(atsc.ConvertTypeEMultiSoundMode(mode), row.mts) << "mode " << row.mode;
        EXPECT_EQ(dvb.ConvertTypeEMultiSoundMode(mode), row.dual) << "mode " << row.mode;
    }
}

}  // namespace
