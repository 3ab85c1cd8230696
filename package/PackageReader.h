// Finds, identifies, verifies and extracts the package at the end of a file.
#pragma once

#include <cstdint>
#include <optional>

#include "ExtractResult.h"
#include "FieldRules.h"
#include "FileStream.h"

namespace package {

struct PackageIdentity {
    FieldText label;
    FieldText targetName;
};

// Calling order: OpenSelf (or OpenPath) once; then VerifyAndExtract followed by Close,
// or Close alone. The stream stays open between the calls, positioned behind the
// target-name field, and VerifyAndExtract reads on from there.
class CPackageReader {
public:
    // Opens "<applicationName>.exe" in the working directory, as the carrier does.
    std::optional<PackageIdentity> OpenSelf(const char* applicationName);
    // Opens a package at an explicit path (the packer and the tests).
    std::optional<PackageIdentity> OpenPath(const char* path);

    ExtractResult VerifyAndExtract();
    void Close();

private:
    bool PayloadFits(std::uint32_t length) const;
    std::uint32_t SumPayload(std::uint32_t length);
    bool CopyPayload(std::uint32_t length, std::FILE* target);
    ExtractResult WriteTarget(std::uint32_t length);

    FileStream m_package;
    std::int32_t m_header = 0;
    std::int64_t m_fileSize = 0;
    FieldText m_targetName{};
};

}  // namespace package
