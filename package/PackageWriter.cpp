#include "PackageWriter.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "FieldEncoding.h"
#include "FileStream.h"

namespace package {

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

std::string CheckRequest(const PackageRequest& request)
{
    std::string problem = CheckFieldText(request.label, "label");
    if (problem.empty())
        problem = CheckFieldText(request.targetName, "target name");
    if (problem.empty() && request.targetName.empty())
        problem = "target name is empty; the carrier would have no file to write";
    return problem;
}

std::int64_t FileSize(std::FILE* f)
{
    if (!SeekFile(f, 0, SEEK_END))
        return -1;
    const std::int64_t size = TellFile(f);
    return SeekFile(f, 0, SEEK_SET) ? size : -1;
}

template <typename Field>
bool WriteField(std::FILE* out, const Field& field)
{
    return std::fwrite(field.data(), 1, field.size(), out) == field.size();
}

// Copies the stub as it is; returns the number of bytes copied, or -1.
std::int64_t CopyStub(std::FILE* stub, std::FILE* out)
{
    std::uint8_t block[kBlockSize];
    std::int64_t total = 0;
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof(block), stub)) > 0) {
        if (std::fwrite(block, 1, got, out) != got)
            return -1;
        total += static_cast<std::int64_t>(got);
    }
    return std::ferror(stub) ? -1 : total;
}

// Scrambles and writes exactly `length` payload bytes, summing them as it goes.
bool CopyPayload(std::FILE* payload, std::int64_t length, std::FILE* out, std::uint32_t& sum)
{
    std::uint8_t block[kBlockSize];
    sum = 0;
    for (std::int64_t left = length; left > 0;) {
        const std::size_t want = left < std::int64_t{kBlockSize} ? static_cast<std::size_t>(left) : kBlockSize;
        if (std::fread(block, 1, want, payload) != want)
            return false;
        SwapNibbles(block, want);
        sum = AccumulateChecksum(sum, block, want);
        if (std::fwrite(block, 1, want, out) != want)
            return false;
        left -= static_cast<std::int64_t>(want);
    }
    return true;
}

class CarrierBuilder {
public:
    explicit CarrierBuilder(const PackageRequest& request) : m_request(request) {}

    bool Build(std::string& error)
    {
        const std::string& output = m_request.outputPath;
        if (!OpenInputs(error))
            return false;
        if (IsSameFile(output.c_str(), m_payload.get()) || (m_stub && IsSameFile(output.c_str(), m_stub.get())))
            return Fail(error, "output " + output + " is one of the input files; choose another name");
        if (KindOfPath(output.c_str()) == PathKind::Other)
            return Fail(error, "output " + output + " is a folder or device, not a file");

        const std::int64_t length = FileSize(m_payload.get());
        if (length < 0)
            return Fail(error, "cannot read firmware " + m_request.payloadPath);
        if (length > kMaxFieldValue)
            return Fail(error, "firmware is " + std::to_string(length) + " bytes; at most " +
                                   std::to_string(kMaxFieldValue) + " bytes fit in a package");

        std::string temporary(output.size() + 32, '\0');
        TemporaryNameBeside(output.c_str(), &temporary[0], temporary.size());
        temporary.resize(std::strlen(temporary.c_str()));
        m_out = OpenFile(temporary.c_str(), "wb");
        if (!m_out)
            return Fail(error, "cannot create " + temporary + " beside " + output + ": " + std::strerror(errno));
        const bool written = WriteAll(length, error);
        m_out.reset();
        if (written && RenameReplacing(temporary.c_str(), output.c_str()))
            return true;
        if (written)
            Fail(error, "cannot rename " + temporary + " to " + output + ": " + std::strerror(errno));
        std::remove(temporary.c_str());
        return false;
    }

private:
    bool OpenInputs(std::string& error)
    {
        if (m_request.stubPath.empty() && m_request.embeddedStub == nullptr)
            return Fail(error, "no stub given");
        for (const std::string* input : {&m_request.stubPath, &m_request.payloadPath}) {
            if (KindOfPath(input->c_str()) == PathKind::Other)
                return Fail(error, *input + " is a folder or device, not a file");
        }
        if (!m_request.stubPath.empty()) {
            m_stub = OpenFile(m_request.stubPath.c_str(), "rb");
            if (!m_stub)
                return Fail(error, "cannot open stub " + m_request.stubPath + ": " + std::strerror(errno));
        }
        m_payload = OpenFile(m_request.payloadPath.c_str(), "rb");
        if (!m_payload)
            return Fail(error, "cannot open firmware " + m_request.payloadPath + ": " + std::strerror(errno));
        return true;
    }

    // Copies the stub as it is; returns its size, or -1.
    std::int64_t WriteStub()
    {
        if (m_stub)
            return CopyStub(m_stub.get(), m_out.get());
        const std::size_t size = m_request.embeddedStubSize;
        const bool ok = std::fwrite(m_request.embeddedStub, 1, size, m_out.get()) == size;
        return ok ? static_cast<std::int64_t>(size) : -1;
    }

    bool WriteAll(std::int64_t length, std::string& error)
    {
        const std::int64_t header = WriteStub();
        if (header < 0)
            return Fail(error, "cannot write the stub to " + m_request.outputPath);
        if (header > kMaxFieldValue)
            return Fail(error, "stub is " + std::to_string(header) + " bytes; the package must start within " +
                                   std::to_string(kMaxFieldValue) + " bytes");

        std::FILE* out = m_out.get();
        std::uint32_t sum = 0;
        const bool written = WriteField(out, EncodeTextField(m_request.label, false)) &&
                             WriteField(out, EncodeTextField(m_request.targetName, true)) &&
                             WriteField(out, EncodeDecimalField(static_cast<std::uint32_t>(length)));
        if (!written)
            return Fail(error, "cannot write " + m_request.outputPath + ": " + std::strerror(errno));
        if (!CopyPayload(m_payload.get(), length, out, sum))
            return Fail(error, "cannot copy firmware " + m_request.payloadPath + " (did it change while read?)");
        if (!WriteField(out, EncodeDecimalField(sum)) || !WriteAlignment(header + kPayloadOffset + length) ||
            !WriteField(out, EncodeDecimalField(static_cast<std::uint32_t>(header))) || !CloseFile(m_out))
            return Fail(error, "cannot write " + m_request.outputPath + ": " + std::strerror(errno));
        return true;
    }

    // The zero bytes that round the carrier up to a multiple of 8, when asked for.
    bool WriteAlignment(std::int64_t payloadEnd)
    {
        const std::int64_t carrierSize = payloadEnd + kTailSize;
        const std::size_t padding = m_request.alignForSigning ? static_cast<std::size_t>((8 - carrierSize % 8) % 8) : 0;
        const unsigned char zeros[8] = {};
        return std::fwrite(zeros, 1, padding, m_out.get()) == padding;
    }

    static bool Fail(std::string& error, std::string message)
    {
        error = std::move(message);
        return false;
    }

    const PackageRequest& m_request;
    FileStream m_stub, m_payload, m_out;
};

}  // namespace

bool WritePackage(const PackageRequest& request, std::string& error)
{
    error = CheckRequest(request);
    if (!error.empty())
        return false;
    return CarrierBuilder(request).Build(error);
}

}  // namespace package
