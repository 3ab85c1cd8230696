// The carrier's reader: finds the package at the end of its own file and writes the firmware.
#pragma once

#include <optional>

#include "ExtractResult.h"
#include "PackageFile.h"

namespace package {

// Calling order: OpenSelf once; then VerifyAndExtract followed by Close, or Close alone.
// The stream stays open between the calls; every field is read at its own position.
class CPackageReader {
public:
    // Opens "<applicationName>.exe" in the working directory, as the carrier does.
    std::optional<PackageIdentity> OpenSelf(const char* applicationName);
    // Writes the carried firmware under its target name, relative to the working directory
    // (a name as the carrier holds it: in the ANSI code page on Windows).
    ExtractResult VerifyAndExtract();
    void Close() { m_package.Close(); }

private:
    PackageFile m_package;
};

}  // namespace package
