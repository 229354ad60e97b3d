// Capability checks of the ATSC and ISDB regions (analog MTS sound).
#pragma once

#include <tvav/AVCheck.h>

class TVAV_EXPORT TCAVCheckATSC : public TCAVCheck {
public:
    TCAVCheckATSC();
    ~TCAVCheckATSC() override;

protected:
    void t_CheckAnalogMTS(TVStream stream, EMultiSoundMode mode, bool& bCheck) override;
    void t_CheckAspectRatio(TSAspectRatioKey key, TSSourceTypeInfo sourceInfo, bool& bCheck) override;
};
