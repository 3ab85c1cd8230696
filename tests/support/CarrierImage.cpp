#include "CarrierImage.h"

namespace testing_support {

namespace {

template <typename Field>
Bytes ToBytes(const Field& field)
{
    return Bytes(field.begin(), field.end());
}

}  // namespace

Bytes ScrambledDecimalText(const std::string& text)
{
    Bytes field(package::kDecimalFieldSize, 0);
    for (std::size_t i = 0; i < text.size() && i < field.size(); ++i)
        field[i] = package::SwapNibbles(static_cast<std::uint8_t>(text[i]));
    return field;
}

CarrierImage::CarrierImage(const std::string& labelText, const std::string& targetText, const Bytes& firmware)
    : stub(PatternBytes(300, 7)),
      label(ToBytes(package::EncodeTextField(labelText, false))),
      targetName(ToBytes(package::EncodeTextField(targetText, true))),
      length(ToBytes(package::EncodeDecimalField(static_cast<std::uint32_t>(firmware.size())))),
      payload(firmware)
{
    std::uint32_t sum = 0;
    for (auto b : firmware)
        sum += b;
    package::SwapNibbles(payload.data(), payload.size());
    checksum = ToBytes(package::EncodeDecimalField(sum));
}

Bytes CarrierImage::Assemble() const
{
    Bytes out = stub;
    const Bytes computedTrailer = ToBytes(package::EncodeDecimalField(HeaderPosition()));
    for (const Bytes* part : {&label, &targetName, &length, &payload, &checksum, &gap})
        out.insert(out.end(), part->begin(), part->end());
    const Bytes& tail = trailerFollowsLayout ? computedTrailer : trailer;
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

}  // namespace testing_support
