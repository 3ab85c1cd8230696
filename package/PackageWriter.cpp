#include "PackageWriter.h"

#include <cstdint>

#include "FieldEncoding.h"
#include "FileStream.h"
#include "SystemError.h"

namespace package {

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

// Refusals that need no file: what the format cannot carry.
std::string CheckFields(const PackageRequest& request)
{
    std::string problem = CheckFieldText(request.label, "label");
    if (problem.empty())
        problem = CheckFieldText(request.targetName, "target name");
    if (!problem.empty())
        return problem + " (labels and target names hold up to 16 bytes, without spaces or NUL)";
    if (request.stubPath.empty() && request.embeddedStub == nullptr)
        return "no stub given";
    return "";
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

// Copies exactly `length` bytes. With `sum`, they are summed and scrambled on the way.
bool CopyExactly(std::FILE* in, std::int64_t length, std::FILE* out, std::uint32_t* sum)
{
    std::uint8_t block[kBlockSize];
    for (std::int64_t left = length; left > 0;) {
        const std::size_t want = left < std::int64_t{kBlockSize} ? static_cast<std::size_t>(left) : kBlockSize;
        if (std::fread(block, 1, want, in) != want)
            return false;
        if (sum != nullptr) {
            *sum = SumBytes(*sum, block, want);
            SwapNibbles(block, want);
        }
        if (std::fwrite(block, 1, want, out) != want)
            return false;
        left -= static_cast<std::int64_t>(want);
    }
    return true;
}

class CarrierBuilder {
public:
    CarrierBuilder(const PackageRequest& request, std::string& error) : m_request(request), m_error(error) {}

    // `target`: the target name's verdict, once the fields are known to fit.
    WriteError Build(TargetVerdict& target)
    {
        const std::string problem = CheckFields(m_request);
        if (!problem.empty())
            return Refuse(problem);
        const WriteError inputs = OpenInputs();
        if (inputs != WriteError::None)
            return inputs;
        const std::string& output = m_request.outputPath;
        if (IsSameFile(output.c_str(), m_payload.get()) || (m_stub && IsSameFile(output.c_str(), m_stub.get())))
            return Refuse("output " + output + " is one of the input files; choose another name");
        if (KindOfPath(output.c_str()) == PathKind::Other)
            return Refuse("output " + output + " is a folder or device, not a file");
        TargetContext context = m_request.targetContext;
        context.carrierFileName = output.substr(output.find_last_of("/\\") + 1);
        target = JudgeTarget(m_request.targetName, context);
        if (!target.Allowed())
            return Refuse("target name is refused: " + TargetNameRefusal(target));

        TextBuffer temporary;
        m_out = CreateTemporaryBeside(output.c_str(), temporary);
        if (!m_out)
            return IoFailure("cannot create a temporary file beside " + output + ": " + LastLibraryError());
        const WriteError written = WriteAll();
        if (written == WriteError::None && RenameReplacing(temporary.get(), output.c_str())) {
            SyncFolderOf(output.c_str());
            return WriteError::None;
        }
        if (written == WriteError::None)
            IoFailure("cannot rename " + std::string(temporary.get()) + " to " + output + ": " + LastSystemError());
        m_out.reset();
        RemoveFile(temporary.get());
        return WriteError::Io;
    }

private:
    // Opens the inputs and measures them, refusing sizes no package can hold before
    // anything is copied.
    WriteError OpenInputs()
    {
        for (const std::string* input : {&m_request.stubPath, &m_request.payloadPath}) {
            if (KindOfPath(input->c_str()) == PathKind::Other)
                return Refuse(*input + " is a folder or device, not a file");
        }
        m_stubSize = static_cast<std::int64_t>(m_request.embeddedStubSize);
        if (!m_request.stubPath.empty()) {
            m_stub = OpenFile(m_request.stubPath.c_str(), "rb");
            if (!m_stub)
                return IoFailure("cannot open stub " + m_request.stubPath + ": " + LastLibraryError());
            m_stubSize = FileSize(m_stub.get());
            if (m_stubSize < 0)
                return IoFailure("cannot read stub " + m_request.stubPath);
        }
        if (m_stubSize > kMaxFieldValue)
            return Refuse("stub is " + std::to_string(m_stubSize) + " bytes; the package must start within " +
                          std::to_string(kMaxFieldValue) + " bytes");
        m_payload = OpenFile(m_request.payloadPath.c_str(), "rb");
        if (!m_payload)
            return IoFailure("cannot open firmware " + m_request.payloadPath + ": " + LastLibraryError());
        m_length = FileSize(m_payload.get());
        if (m_length < 0)
            return IoFailure("cannot read firmware " + m_request.payloadPath);
        if (m_length > kMaxFieldValue)
            return Refuse("firmware is " + std::to_string(m_length) + " bytes; a carrier holds at most " +
                          std::to_string(kMaxFieldValue) + " bytes (2 GiB - 1)");
        return WriteError::None;
    }

    bool WriteStub()
    {
        if (m_stub)
            return CopyExactly(m_stub.get(), m_stubSize, m_out.get(), nullptr);
        const std::size_t size = m_request.embeddedStubSize;
        return std::fwrite(m_request.embeddedStub, 1, size, m_out.get()) == size;
    }

    // The stub, the package and the trailer, flushed to the device and closed.
    WriteError WriteAll()
    {
        std::FILE* out = m_out.get();
        if (!WriteStub())
            return CopyFailure("stub " + m_request.stubPath);
        const bool fields = WriteField(out, EncodeTextField(m_request.label, false)) &&
                            WriteField(out, EncodeTextField(m_request.targetName, true)) &&
                            WriteField(out, EncodeDecimalField(static_cast<std::uint32_t>(m_length)));
        std::uint32_t sum = 0;
        if (!fields || !CopyExactly(m_payload.get(), m_length, out, &sum))
            return CopyFailure("firmware " + m_request.payloadPath);
        if (!WriteField(out, EncodeDecimalField(sum)) || !WriteAlignment(m_stubSize + kPayloadOffset + m_length) ||
            !WriteField(out, EncodeDecimalField(static_cast<std::uint32_t>(m_stubSize))))
            return IoFailure("cannot write " + m_request.outputPath + ": " + LastLibraryError());
        // The carrier must be on the device before its name is: a crash after the rename
        // would otherwise leave a carrier cut short under the final name.
        if (!SyncAndClose(m_out))
            return IoFailure("cannot write " + m_request.outputPath + " to the device: " + LastSystemError());
        return WriteError::None;
    }

    // A copy stops on a failed write (disk full) or a short read (an input that shrank).
    WriteError CopyFailure(const std::string& input)
    {
        if (std::ferror(m_out.get()))
            return IoFailure("cannot write " + m_request.outputPath + ": " + LastLibraryError());
        return IoFailure("cannot read " + input + " whole (did it change while read?)");
    }

    // The zero bytes that round the carrier up to a multiple of 8, when asked for.
    bool WriteAlignment(std::int64_t payloadEnd)
    {
        const std::int64_t carrierSize = payloadEnd + kTailSize;
        const std::size_t padding = m_request.alignForSigning ? static_cast<std::size_t>((8 - carrierSize % 8) % 8) : 0;
        const unsigned char zeros[8] = {};
        return std::fwrite(zeros, 1, padding, m_out.get()) == padding;
    }

    WriteError Refuse(std::string message)
    {
        m_error = std::move(message);
        return WriteError::Usage;
    }

    WriteError IoFailure(std::string message)
    {
        m_error = std::move(message);
        return WriteError::Io;
    }

    const PackageRequest& m_request;
    std::string& m_error;
    FileStream m_stub, m_payload, m_out;
    std::int64_t m_stubSize = 0;
    std::int64_t m_length = 0;
};

}  // namespace

WriteOutcome WritePackage(const PackageRequest& request, std::string& error)
{
    error.clear();
    WriteOutcome outcome;
    outcome.error = CarrierBuilder(request, error).Build(outcome.target);
    return outcome;
}

}  // namespace package
