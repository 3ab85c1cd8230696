// Saves what the screen shows of a window as a 24-bit BMP file, so a run can keep a
// picture of the dialog it drove.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// False when the window's area could not be copied or the file not written.
bool SaveWindowScreenshot(HWND window, const std::string& bmpPath);

}  // namespace e2e
