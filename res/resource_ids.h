#pragma once
// Resource ids shared by app.rc and the code.
#define IDI_APP          1
#define IDC_HAND_POINTER 2
#define IDR_BANNER_JPEG  10
#define IDR_SPLASH_JPEG  11
#define IDR_RECORD_CUE   20
