// The system's own words for why the last call failed. The C library reports through
// errno everywhere; Windows' own calls (moving or flushing a file) through GetLastError.
#pragma once

#include <string>

namespace package {

// After a C library call (fopen, fwrite): errno's text.
std::string LastLibraryError();

// After a call into the system (rename, flush to the device): GetLastError's text on
// Windows, errno's elsewhere.
std::string LastSystemError();

}  // namespace package
