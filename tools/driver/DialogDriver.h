// Drives a dialog program in another process the way a user would: start it, look at
// its dialog, press buttons and keys, answer its message box, wait for it to end.
// Everything that reaches into the program is posted, never sent, because a button
// handler may sit in a modal message box and would block the sender.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// Closes a kernel handle when it goes out of scope.
class UniqueHandle {
public:
    explicit UniqueHandle(HANDLE handle = nullptr) : m_handle(handle) {}
    ~UniqueHandle();
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    void Reset(HANDLE handle);

private:
    HANDLE m_handle;
};

// Window texts are read as the wide text the window holds and given in UTF-8, the same under
// every system code page.
struct MessageBoxView {
    HWND window;
    std::string caption;
    std::string text;                  // the text of its non-empty Static child
    std::vector<std::string> buttons;  // texts of its visible buttons, in child order
};

MessageBoxView ReadMessageBox(HWND box);

class DialogDriver {
public:
    // Starts `exePath` with `workingDirectory` as its current folder; wide, so that any name
    // Windows takes is reached whatever the system's code page.
    DialogDriver(const std::wstring& exePath, const std::wstring& workingDirectory);
    ~DialogDriver();  // ends the program if it is still running
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    bool Started() const { return m_process.Get() != nullptr; }
    // Waits for the program's top-level dialog to show and wait for input; false when it
    // does not in time.
    bool WaitForDialog(DWORD timeoutMs = 10000);
    HWND Dialog() const { return m_dialog; }

    std::string Caption() const;
    int FocusedControlId() const;  // 0 when no control of the dialog has the focus

    void Press(int id) const;        // a click on the button
    void PressKey(WPARAM key) const;  // a key stroke on the focused control
    void SystemCommand(WPARAM command) const;

    // The message box the dialog owns; none when the program ends or time runs out first.
    std::optional<MessageBoxView> WaitForMessageBox(DWORD timeoutMs = 10000) const;
    void Dismiss(const MessageBoxView& box) const;  // presses its first button

    // The exit code once the program has ended; none when it is still running.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = 10000) const;

private:
    UniqueHandle m_process;
    UniqueHandle m_thread;
    DWORD m_processId = 0;
    DWORD m_threadId = 0;
    HWND m_dialog = nullptr;
};

// Polls `condition` every few milliseconds until it holds or `timeoutMs` has passed.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

}  // namespace e2e
