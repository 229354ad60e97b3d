// System-information service. The caller presets the value; a failed call
// leaves it untouched and returns non-zero.
#pragma once

typedef enum {
    SYSTEM_INFO_KEY_PRODUCT_CODE = 254,
    SYSTEM_INFO_KEY_KYT_SUPPORTED = 303,
} system_info_key_e;

extern "C" {
int system_info_get_value_bool(system_info_key_e key, bool* value);
int system_info_get_value_int(system_info_key_e key, int* value);
}
