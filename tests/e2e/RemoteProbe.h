// Asks a window questions from inside its own process. Wine answers some only there
// (WM_GETICON, WM_QUERYDRAGICON and GetSystemMenu fail on another process's window), so a
// message hook loads the probe DLL into the window's thread, and the DLL answers a
// registered message as it passes. Nothing is written into the other process's memory:
// where Wine's 32-bit side runs emulated, such writes land a page away from their address.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

// What the test and the probe DLL agree on.
constexpr char kProbeMessageName[] = "OrvaneE2eProbeQuestion";
enum class ProbeQuestion : WPARAM { Ping, DragIcon, BigIcon, AboutMenu };
constexpr LRESULT kPingAnswer = 0x45324550;
// The answer to AboutMenu: whether the system menu ends with a separator and the About
// entry (command 0x0010 with the text of string 101), or the first thing that is wrong.
enum class AboutMenuCheck : LRESULT { Passes = 1, NoSystemMenu, TooFewItems, NoSeparator, WrongCommand, WrongText };

class RemoteProbe {
public:
    RemoteProbe(HWND window, const std::string& dllPath);
    ~RemoteProbe();
    RemoteProbe(const RemoteProbe&) = delete;
    RemoteProbe& operator=(const RemoteProbe&) = delete;

    bool Loaded() const { return Ask(ProbeQuestion::Ping) == kPingAnswer; }
    // The DLL's answer, asked on the window's own thread; none when it gives none in time.
    std::optional<LRESULT> Ask(ProbeQuestion question) const;

private:
    HWND m_window;
    HMODULE m_module;
    HHOOK m_hook = nullptr;
};

}  // namespace e2e
