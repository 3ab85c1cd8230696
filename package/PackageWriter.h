// Builds a carrier: a copy of a stub with a package (label, target name, payload)
// appended behind it.
#pragma once

#include <cstddef>
#include <string>

#include "TargetVerdict.h"

namespace package {

struct PackageRequest {
    std::string stubPath;  // empty: use embeddedStub
    std::string payloadPath;
    std::string outputPath;
    std::string label;
    std::string targetName;
    // How the target name is judged; the carrier's file name is the output's.
    TargetContext targetContext = {};
    const unsigned char* embeddedStub = nullptr;
    std::size_t embeddedStubSize = 0;
    // Zero bytes between the checksum field and the trailer make the carrier's length a
    // multiple of 8, so that a code signature appended later needs no padding of its own.
    bool alignForSigning = false;
};

enum class WriteError {
    None,
    Usage,  // the request cannot be carried (a field, a size, a target name, a folder given as a file)
    Io,     // a file could not be opened, read or written
};

struct WriteOutcome {
    WriteError error = WriteError::None;
    TargetVerdict target;  // when the target name is refused: why (a Usage error)
    explicit operator bool() const { return error == WriteError::None; }
};

// Checks the request, then writes the carrier to a new temporary file beside
// request.outputPath, flushes it to the device and renames it into place, so that a
// reader never sees half a carrier. On failure the outcome tells usage from I/O, with a
// message in `error`; an existing output file is then left as it was.
WriteOutcome WritePackage(const PackageRequest& request, std::string& error);

}  // namespace package
