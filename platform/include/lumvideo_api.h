// Letterbox detector.
#pragma once

extern "C" {
int lumvideo_api_set_lbd_on(void);
int lumvideo_api_set_lbd_off(void);
}
