#include "RemoteProbe.h"

#include <cstdint>

namespace e2e {

namespace {

constexpr DWORD kCallTimeoutMs = 5000;

// An exported function of a loaded module, typed as a thread's start.
LPTHREAD_START_ROUTINE Export(HMODULE module, const char* name)
{
    // void (*)() converts to any function type without a warning.
    return reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

std::optional<DWORD> RunRemoteThread(HANDLE process, LPTHREAD_START_ROUTINE start, void* argument)
{
    UniqueHandle thread(CreateRemoteThread(process, nullptr, 0, start, argument, 0, nullptr));
    DWORD code = 0;
    if (!thread.Get() || WaitForSingleObject(thread.Get(), kCallTimeoutMs) != WAIT_OBJECT_0 ||
        !GetExitCodeThread(thread.Get(), &code))
        return std::nullopt;
    return code;
}

// Memory in another process, freed with the object.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, const std::string& text)
        : m_process(process),
          m_address(VirtualAllocEx(process, nullptr, text.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
    {
        if (m_address && !WriteProcessMemory(process, m_address, text.c_str(), text.size() + 1, nullptr))
            Free();
    }
    ~RemoteBuffer() { Free(); }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    void* Address() const { return m_address; }

private:
    void Free()
    {
        if (m_address)
            VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        m_address = nullptr;
    }

    HANDLE m_process;
    void* m_address;
};

}  // namespace

RemoteProbe::RemoteProbe(HANDLE process, const std::string& dllPath)
    : m_process(process), m_local(LoadLibraryA(dllPath.c_str()))
{
    // kernel32 lies at the same address in every process, so LoadLibraryA does too.
    const auto loadLibrary = Export(GetModuleHandleA("kernel32.dll"), "LoadLibraryA");
    RemoteBuffer path(process, dllPath);
    if (m_local && path.Address())
        m_remoteBase = RunRemoteThread(process, loadLibrary, path.Address()).value_or(0);
}

RemoteProbe::~RemoteProbe()
{
    if (m_local)
        FreeLibrary(m_local);
}

std::optional<DWORD> RemoteProbe::Call(const char* function, void* argument) const
{
    const auto local = reinterpret_cast<std::uintptr_t>(Export(m_local, function));
    if (!Loaded() || !local)
        return std::nullopt;
    // The function lies at the same offset from the module's base in both processes.
    const auto offset = local - reinterpret_cast<std::uintptr_t>(m_local);
    const auto remote = reinterpret_cast<LPTHREAD_START_ROUTINE>(m_remoteBase + offset);
    return RunRemoteThread(m_process, remote, argument);
}

}  // namespace e2e
