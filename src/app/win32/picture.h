#pragma once
#include <windows.h>

// Decodes the JPEG stored as RCDATA resource resourceId of the program and scales it to
// width x height pixels. A 32-bit top-down DIB section the caller deletes; null on any failure.
HBITMAP LoadJpegResource(int resourceId, int width, int height);
