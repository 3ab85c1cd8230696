#include "DialogPlacement.h"

#include <cstring>

namespace {

// Offsets of x and y in the two template headers.
constexpr size_t kClassicXOffset = 10;
constexpr size_t kExtendedXOffset = 18;

short ReadShort(const BYTE* bytes, size_t offset)
{
    short value;
    std::memcpy(&value, bytes + offset, sizeof(value));
    return value;
}

RECT WorkAreaOf(HWND window)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor.rcWork;
}

int Clamp(int value, int low, int high)
{
    return value < low ? low : (value > high ? high : value);
}

}  // namespace

bool TemplateAtOrigin(HINSTANCE module, UINT templateId)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const auto* bytes = static_cast<const BYTE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (bytes == nullptr || SizeofResource(module, found) < kExtendedXOffset + 4)
        return false;
    const bool extended = ReadShort(bytes, 0) == 1 && ReadShort(bytes, 2) == -1;
    const size_t x = extended ? kExtendedXOffset : kClassicXOffset;
    return ReadShort(bytes, x) == 0 && ReadShort(bytes, x + 2) == 0;
}

void CenterWindow(HWND window)
{
    RECT own, area = WorkAreaOf(window);
    GetWindowRect(window, &own);
    RECT around = area;
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &around);

    const int width = own.right - own.left, height = own.bottom - own.top;
    int x = (around.left + around.right - width) / 2;
    int y = (around.top + around.bottom - height) / 2;
    // Keep the whole dialog on the screen's work area.
    x = Clamp(x, area.left, area.right - width);
    y = Clamp(y, area.top, area.bottom - height);
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
