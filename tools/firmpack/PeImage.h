// A quick look at Windows executable images: whether a file is one, and where its image
// ends (anything behind that is appended data, such as a package).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// True when `path` starts with an MZ header whose e_lfanew points at a "PE\0\0" signature.
bool IsPeImage(const std::string& path);

// The end of the last section's raw data; none when `path` is not a readable PE image.
std::optional<std::int64_t> PeImageEnd(const std::string& path);
