#include "common/Common.h"

#include "common/Log.h"
#include "TCFramework.h"
#include "instrument/CallLayer.h"  // registers this unit with the instrumentation runtime

namespace tvav {

int ReadFactoryOption(int option, int fallback) {
    int value = fallback;
    if (!TCFactoryProvider::GetOption(option, &value)) {
        value = fallback;
    }
    return value;
}

int ReadCountry() {
    int country = -1;
    if (!TCSOSpec::Instance(ORBHandle(1, 0))->m_Get(SOSPEC_TAG_COUNTRY, country)) {
        AV_LOG_M(kModuleSpec, 1, "[TCSOSpec::%s] tag[%d] failed", "Get", SOSPEC_TAG_COUNTRY);
        country = -1;
    }
    return country;
}

}  // namespace tvav
