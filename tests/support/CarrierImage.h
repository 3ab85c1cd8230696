// A carrier assembled in memory field by field, so that a test can damage exactly one
// field. Defaults make a valid package; each field holds its bytes as stored.
#pragma once

#include <string>

#include "FieldEncoding.h"
#include "TestFiles.h"

namespace testing_support {

// The ten stored bytes of a decimal field whose unscrambled text is `text` (NUL-padded).
Bytes ScrambledDecimalText(const std::string& text);

struct CarrierImage {
    CarrierImage(const std::string& label, const std::string& targetName, const Bytes& firmware);

    Bytes Assemble() const;
    std::uint32_t HeaderPosition() const { return static_cast<std::uint32_t>(stub.size()); }

    Bytes stub;
    Bytes label;
    Bytes targetName;
    Bytes length;
    Bytes payload;  // scrambled
    Bytes checksum;
    Bytes gap;      // between the checksum field and the trailer; never read
    Bytes trailer;
    bool trailerFollowsLayout = true;  // recompute the trailer from the stub's size
};

}  // namespace testing_support
