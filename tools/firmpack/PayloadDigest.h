// The SHA-256 of a carrier's firmware, unscrambled: what vendors pin a release to.
#pragma once

#include <string>

#include "CarrierReport.h"

// Empty when the payload cannot be read whole (a damaged package, a read error).
std::string PayloadSha256(const CarrierReport& report);
