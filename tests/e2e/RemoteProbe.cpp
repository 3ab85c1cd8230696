#include "RemoteProbe.h"

namespace e2e {

namespace {

constexpr UINT kAnswerTimeoutMs = 5000;

HOOKPROC HookProcedure(HMODULE module)
{
    // void (*)() converts to any function type without a warning.
    return reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(module, "AnswerProbe")));
}

}  // namespace

RemoteProbe::RemoteProbe(HWND window, const std::string& dllPath)
    : m_window(window), m_module(LoadLibraryA(dllPath.c_str()))
{
    const HOOKPROC procedure = m_module ? HookProcedure(m_module) : nullptr;
    if (procedure)
        m_hook = SetWindowsHookExA(WH_CALLWNDPROC, procedure, m_module, GetWindowThreadProcessId(window, nullptr));
}

RemoteProbe::~RemoteProbe()
{
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    if (m_module)
        FreeLibrary(m_module);
}

std::optional<LRESULT> RemoteProbe::Ask(ProbeQuestion question) const
{
    DWORD_PTR answer = 0;
    if (!m_hook || !SendMessageTimeoutA(m_window, RegisterWindowMessageA(kProbeMessageName), WPARAM(question), 0,
                                        SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer))
        return std::nullopt;
    return LRESULT(answer);
}

}  // namespace e2e
