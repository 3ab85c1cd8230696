// Builds a carrier: a copy of a stub file with a package (label, target name, payload)
// appended behind it.
#pragma once

#include <string>

namespace package {

struct PackageRequest {
    std::string stubPath;
    std::string payloadPath;
    std::string outputPath;
    std::string label;
    std::string targetName;
};

// Writes the carrier to request.outputPath. On failure returns false with a message in
// `error` and leaves no output file behind.
bool WritePackage(const PackageRequest& request, std::string& error);

}  // namespace package
