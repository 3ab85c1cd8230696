// Where a Windows executable image ends in its file: anything behind the last section's
// raw data is appended (such as a package). Every field is checked against the file's
// size in a wider type; a malformed header simply means "not an image".
#pragma once

#include <cstdint>
#include <cstdio>

namespace package {

// The end of the image's last section, or 0 when the file is not a PE image. Leaves the
// stream's position undefined.
std::int64_t PeImageEnd(std::FILE* f, std::int64_t fileSize);

}  // namespace package
