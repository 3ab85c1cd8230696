#include "PayloadDigest.h"

#include "FieldRules.h"
#include "FileStream.h"
#include "PackageLayout.h"
#include "Sha256.h"

std::string PayloadSha256(const CarrierReport& report)
{
    if (!report.verification.fits || report.headerPosition < 0)
        return "";
    package::FileStream file = package::OpenFile(report.path.c_str(), "rb");
    if (!file || !package::SeekFile(file.get(), std::int64_t{report.headerPosition} + package::kPayloadOffset, SEEK_SET))
        return "";
    Sha256 digest;
    unsigned char block[64 * 1024];
    for (std::uint32_t left = report.verification.length; left > 0;) {
        const std::size_t want = left < sizeof(block) ? left : sizeof(block);
        if (std::fread(block, 1, want, file.get()) != want)
            return "";
        package::SwapNibbles(block, want);
        digest.Update(block, want);
        left -= static_cast<std::uint32_t>(want);
    }
    return digest.FinishHex();
}
