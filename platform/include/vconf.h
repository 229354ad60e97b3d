// Platform key-value configuration store. Negative results are failures.
#pragma once

extern "C" {
int vconf_get_int(const char* key, int* value);
int vconf_set_int(const char* key, int value);
int vconf_set_str(const char* key, const char* value);
}

#define VCONFKEY_PIP_ONOFF "db/menu/picture/pip/onoff"
#define VCONFKEY_PIP_SIZE "db/menu/picture/pip/pipsize"
#define VCONFKEY_MLS_STATE "memory/mls/state"
#define VCONFKEY_MULTI_TRACK_SOUND "db/menu/broadcasting/audio_options/multi-track-sound"
#define VCONFKEY_AUTO_STEREO "db/menu/broadcasting/audio_options/auto-stereo"
#define VCONFKEY_REFRESH_MENU "db/menu/refresh_menu"
#define VCONFKEY_ORB_WINDOW_RECT "memory/orb/window_rect"
