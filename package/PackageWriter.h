// Builds a carrier: a copy of a stub with a package (label, target name, payload)
// appended behind it.
#pragma once

#include <cstddef>
#include <string>

namespace package {

struct PackageRequest {
    std::string stubPath;  // empty: use embeddedStub
    std::string payloadPath;
    std::string outputPath;
    std::string label;
    std::string targetName;
    const unsigned char* embeddedStub = nullptr;
    std::size_t embeddedStubSize = 0;
    // Zero bytes between the checksum field and the trailer make the carrier's length a
    // multiple of 8, so that a code signature appended later needs no padding of its own.
    bool alignForSigning = false;
};

// Writes the carrier to a temporary file beside request.outputPath and renames it into
// place, so that a reader never sees half a carrier. On failure returns false with a
// message in `error`; an existing output file is then left as it was.
bool WritePackage(const PackageRequest& request, std::string& error);

}  // namespace package
