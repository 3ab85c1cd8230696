// Runs functions of a probe DLL inside another process: the DLL is loaded there by a
// remote thread, and each call is a remote thread whose exit code is the answer.
#pragma once

#include <optional>
#include <string>

#include "DialogDriver.h"

namespace e2e {

class RemoteProbe {
public:
    RemoteProbe(HANDLE process, const std::string& dllPath);
    ~RemoteProbe();
    RemoteProbe(const RemoteProbe&) = delete;
    RemoteProbe& operator=(const RemoteProbe&) = delete;

    bool Loaded() const { return m_remoteBase != 0; }
    // The exit code of `function(argument)` run in the other process; none on failure.
    std::optional<DWORD> Call(const char* function, void* argument) const;

private:
    HANDLE m_process;
    HMODULE m_local;
    DWORD m_remoteBase = 0;
};

}  // namespace e2e
