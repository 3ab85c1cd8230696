// The few facts of a Windows executable image the package code needs: where the image's
// sections end (anything behind is appended data, such as a package) and where a code
// signature's certificate table lies. Every field is checked against the file's size in a
// wider type; a malformed header simply means "not an image", never a failure.
#pragma once

#include <cstdint>
#include <cstdio>

namespace package {

struct PeLayout {
    std::int64_t imageEnd = 0;         // end of the last section's raw data; 0: not an image
    std::int64_t signatureOffset = 0;  // the certificate table; size 0: none
    std::int64_t signatureSize = 0;
    // Where the two fields a signer rewrites lie: the image checksum and the certificate
    // table's directory entry; 0: not found.
    std::int64_t checksumAt = 0;
    std::int64_t securityEntryAt = 0;
};

// Reads the layout of `f`, a file of `fileSize` bytes. Leaves the stream's position undefined.
PeLayout ReadPeLayout(std::FILE* f, std::int64_t fileSize);

// Where a package appended to the file ends: where a signature that closes the file
// begins, or the end of the file.
std::int64_t PackageEnd(const PeLayout& layout, std::int64_t fileSize);

}  // namespace package
