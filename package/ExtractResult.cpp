#include "ExtractResult.h"

namespace package {

const char* ExtractResultMessage(ExtractResult result)
{
    switch (result) {
    case ExtractResult::Extracted:
        return "Firmware Upgrade file Success !!!";
    case ExtractResult::TargetNotWritable:
        return "Firmware Upgrade file Fail !!! -> Check \"Read Only\"...";
    case ExtractResult::ChecksumMismatch:
        return "Warning : Firmware Upgrade file Fail !!!";
    case ExtractResult::WriteFailed:
        return "Firmware Upgrade file Fail !!! -> Write error...";
    case ExtractResult::NoPackage:
        break;
    }
    return nullptr;
}

}  // namespace package
