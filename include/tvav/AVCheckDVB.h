// Capability checks of the DVB regions (analog dual sound).
#pragma once

#include <tvav/AVCheck.h>

class TVAV_EXPORT TCAVCheckDVB : public TCAVCheck {
public:
    TCAVCheckDVB();
    ~TCAVCheckDVB() override;

protected:
    void t_CheckAnalogMTS(TVStream stream, EMultiSoundMode mode, bool& bCheck) override;
    void t_CheckAspectRatio(TSAspectRatioKey key, TSSourceTypeInfo sourceInfo, bool& bCheck) override;
};
