// The carrier stub built into firmpack (generated from the built OrvaneFirmUp.exe).
#pragma once

#include <cstddef>

extern const unsigned char kEmbeddedStub[];
extern const std::size_t kEmbeddedStubSize;
extern const char kEmbeddedStubSha256[];  // hexadecimal, shown by --version
