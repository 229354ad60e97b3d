// The TV product's object factory: fills the framework factory's
// size-controller slot.
#pragma once

#include <tvav/AVTypes.h>
#include "TCFramework.h"

class TCSizeControl;

class TVAV_EXPORT TCObjectFactoryTv : public TCObjectFactory {
public:
    // Allocates and constructs a new size controller for the handle; does not
    // register it (registration is TCSizeControl::GetInstance's).
    TCSizeControl* GetSizeControl(const ORBHandle& handle) override;
};
