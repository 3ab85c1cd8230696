// Outcomes of an upgrade and the one text the user reads for each.
#pragma once

namespace package {

enum class ExtractResult {
    Extracted,          // checksum matched; the whole target file was written and closed
    TargetNotWritable,  // checksum matched, but the target could not be opened for writing
    ChecksumMismatch,   // the payload is damaged; the target was not touched
    NoPackage,          // no package stream; nothing was read or written
    WriteFailed,        // writing or closing the target failed; the partial file was removed
};

// The message the carrier shows for a result; null for NoPackage, which shows none.
const char* ExtractResultMessage(ExtractResult result);

}  // namespace package
