// Saves what the screen shows of a window as a 24-bit BMP file, so a run can keep a
// picture of the dialog it drove.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Has `painted` draw itself, children too (a message box's text is a child window, painted
// after its frame), then saves `area` once it shows more than one colour: Wine puts a paint
// on the screen a moment later. False when `painted` does not answer, or time runs out before
// a picture is taken and written.
bool SaveWhenPainted(HWND painted, HWND area, const std::string& bmpPath, DWORD timeoutMs);

}  // namespace e2e
