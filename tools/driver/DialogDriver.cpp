#include "DialogDriver.h"

namespace e2e {

namespace {

const char kDialogClass[] = "#32770";

std::string WindowText(HWND window)
{
    wchar_t wide[512] = {};
    GetWindowTextW(window, wide, 512);
    char utf8[1536] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof(utf8), nullptr, nullptr);
    return utf8;
}

std::string ClassName(HWND window)
{
    char buffer[256] = {};
    GetClassNameA(window, buffer, sizeof(buffer));
    return buffer;
}

DWORD ProcessOf(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

bool Visible(HWND window)
{
    return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

struct DialogSearch {
    DWORD processId;
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    auto& search = *reinterpret_cast<DialogSearch*>(param);
    if (ProcessOf(window) != search.processId || ClassName(window) != kDialogClass || !Visible(window) ||
        GetWindow(window, GW_OWNER) != search.owner)
        return TRUE;
    search.found = window;
    return FALSE;
}

// The first visible dialog-class top-level window of `processId` whose owner is `owner`.
HWND FindTopLevelDialog(DWORD processId, HWND owner)
{
    DialogSearch search{processId, owner, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

MessageBoxView ReadMessageBox(HWND box)
{
    MessageBoxView view{box, WindowText(box), "", {}};
    for (HWND child : Children(box)) {
        if (!Visible(child))
            continue;
        const std::string className = ClassName(child);
        if (className == "Static" && view.text.empty())
            view.text = WindowText(child);
        else if (className == "Button")
            view.buttons.push_back(WindowText(child));
    }
    return view;
}

UniqueHandle::~UniqueHandle()
{
    Reset(nullptr);
}

void UniqueHandle::Reset(HANDLE handle)
{
    if (m_handle)
        CloseHandle(m_handle);
    m_handle = handle;
}

DialogDriver::DialogDriver(const std::wstring& exePath, const std::wstring& workingDirectory)
{
    std::wstring commandLine = L"\"" + exePath + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        workingDirectory.c_str(), &startup, &info))
        return;
    m_process.Reset(info.hProcess);
    m_thread.Reset(info.hThread);
    m_processId = info.dwProcessId;
    m_threadId = info.dwThreadId;
}

DialogDriver::~DialogDriver()
{
    if (Started() && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), 5000);
    }
}

bool DialogDriver::WaitForDialog(DWORD timeoutMs)
{
    if (!Started() ||
        !WaitUntil([&] { return (m_dialog = FindTopLevelDialog(m_processId, nullptr)) != nullptr; }, timeoutMs))
        return false;
    // Visible is not yet ready: under Wine a minimise sent before the dialog's loop first
    // waits for input can be lost.
    return WaitForInputIdle(m_process.Get(), timeoutMs) == 0;
}

std::string DialogDriver::Caption() const
{
    return WindowText(m_dialog);
}

int DialogDriver::FocusedControlId() const
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(m_threadId, &info) || !info.hwndFocus || GetParent(info.hwndFocus) != m_dialog)
        return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

void DialogDriver::Press(int id) const
{
    PostMessageA(GetDlgItem(m_dialog, id), BM_CLICK, 0, 0);
}

void DialogDriver::PressKey(WPARAM key) const
{
    // Keys go to the focused control, where the dialog manager looks for them.
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    HWND target = GetGUIThreadInfo(m_threadId, &info) && info.hwndFocus ? info.hwndFocus : m_dialog;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, LPARAM(0xC0000001));
}

void DialogDriver::SystemCommand(WPARAM command) const
{
    PostMessageA(m_dialog, WM_SYSCOMMAND, command, 0);
}

std::optional<MessageBoxView> DialogDriver::WaitForMessageBox(DWORD timeoutMs) const
{
    HWND box = nullptr;
    const bool found = WaitUntil(
        [&] {
            box = FindTopLevelDialog(m_processId, m_dialog);
            return box || WaitForSingleObject(m_process.Get(), 0) != WAIT_TIMEOUT;
        },
        timeoutMs);
    if (!found || !box)
        return std::nullopt;
    return ReadMessageBox(box);
}

void DialogDriver::Dismiss(const MessageBoxView& box) const
{
    for (HWND child : Children(box.window))
        if (Visible(child) && ClassName(child) == "Button") {
            PostMessageA(child, BM_CLICK, 0, 0);
            return;
        }
}

std::optional<DWORD> DialogDriver::WaitForExit(DWORD timeoutMs) const
{
    DWORD code = 0;
    if (!Started() || WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(m_process.Get(), &code))
        return std::nullopt;
    return code;
}

}  // namespace e2e
