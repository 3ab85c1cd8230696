// A quick look at whether a file is a Windows executable image.
#pragma once

#include <string>

// True when `path` starts with an MZ header whose e_lfanew points at a "PE\0\0" signature.
bool IsPeImage(const std::string& path);
