#include <tvav/ObjectFactoryTv.h>

#include <tvav/SizeControl.h>
#include "instrument/CallLayer.h"

TCSizeControl* TCObjectFactoryTv::GetSizeControl(const ORBHandle& handle) { return new TCSizeControl(handle); }

namespace {
// The product's factory is registered with the framework when the library loads.
struct FactoryRegistration {
    FactoryRegistration() { TCObjectFactory::SetInstance(&factory); }
    ~FactoryRegistration() {
        if (TCObjectFactory::GetInstance() == &factory) {
            TCObjectFactory::SetInstance(nullptr);
        }
    }
    TCObjectFactoryTv factory;
};
FactoryRegistration g_factoryRegistration;
}  // namespace
