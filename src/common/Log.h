// Logging through the framework logger. Module 27 is the library's own.
#pragma once

#include "TCFramework.h"

namespace tvav {
constexpr int kModuleAV = 27;
constexpr int kModulePicture = 19;
constexpr int kModuleSpec = 15;
}  // namespace tvav

// AV_LOG(level, format, ...) on module 27.
#define AV_LOG(level, ...) \
    TCDebugPrintORB::GetInstance()->PrintF(__FUNCTION__, __LINE__, ::tvav::kModuleAV, (level), __VA_ARGS__)
// AV_LOG_M(module, level, format, ...).
#define AV_LOG_M(module, level, ...) \
    TCDebugPrintORB::GetInstance()->PrintF(__FUNCTION__, __LINE__, (module), (level), __VA_ARGS__)
