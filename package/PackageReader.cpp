#include "PackageReader.h"

#include <cstring>

#include "PayloadExtraction.h"

namespace package {

std::optional<PackageIdentity> CPackageReader::OpenSelf(const char* applicationName)
{
    // The name plus ".exe" and its terminator must fit the path buffer; a longer one
    // cannot be the carrier's own file.
    char path[kPathBufferSize] = {};
    const std::size_t length = std::strlen(applicationName);
    if (length + sizeof(".exe") > sizeof(path))
        return std::nullopt;
    std::memcpy(path, applicationName, length);
    std::memcpy(path + length, ".exe", sizeof(".exe"));
    if (m_package.Open(path) != OpenFailure::None)
        return std::nullopt;
    return m_package.Identity();
}

ExtractResult CPackageReader::VerifyAndExtract()
{
    int writeErrno = 0;
    return ExtractPayloadTo(m_package, m_package.Identity().targetName.data(), writeErrno);
}

}  // namespace package
