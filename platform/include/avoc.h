// AV output controller.
#pragma once

#include "kova_types.h"

extern "C" {
int avoc_get_pc_mode(int index, int* pcMode);
int avoc_get_picture_mode(int index, kova_picture_mode_e* mode, int saveType);
int avoc_get_hdr_plus_mode(int* mode, int saveType);
int avoc_set_wide_screen_mode(int index, int onOff);
}
