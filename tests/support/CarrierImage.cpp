#include "CarrierImage.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

#ifndef _WIN32
#include <csignal>
#endif

namespace fs = std::filesystem;

namespace testing_support {

namespace {

constexpr std::size_t kPeHeader = 0x40, kOptionalHeader = kPeHeader + 24;
constexpr std::size_t kSectionHeader = kOptionalHeader + 0xE0;  // PE32 with 16 data directories
constexpr std::uint32_t kSectionStart = 0x200;

void Put(Bytes& bytes, std::size_t offset, std::uint32_t value, int size = 4)
{
    for (int i = 0; i < size; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Ten zero-padded digits, as a packer stores numbers.
Bytes StoredNumber(std::uint64_t value)
{
    const std::string digits = std::to_string(value);
    return ScrambledDecimalText(std::string(10 - digits.size(), '0') + digits);
}

}  // namespace

Bytes PatternBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(count);
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<std::uint8_t>(random()); });
    return bytes;
}

Bytes ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void MakeReadOnly(const fs::path& path)
{
    // On Windows this sets the read-only attribute.
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

Bytes StoredField(const std::string& text, std::size_t size, std::uint8_t padding, bool scrambled)
{
    Bytes field(size, padding);
    std::copy_n(text.begin(), std::min(text.size(), size), field.begin());
    for (auto& b : field)
        b = scrambled ? Scrambled(b) : b;
    return field;
}

Bytes MinimalPeStub()
{
    Bytes stub = PatternBytes(kImageEnd, 99);
    std::fill_n(stub.begin(), kSectionStart, 0);
    Put(stub, 0, 0x5A4D, 2);  // "MZ"
    Put(stub, 0x3C, kPeHeader);
    Put(stub, kPeHeader, 0x4550);  // "PE\0\0"
    Put(stub, kPeHeader + 4, 0x1014C);  // i386, one section
    Put(stub, kPeHeader + 20, kSectionHeader - kOptionalHeader, 2);
    SetSecurityDirectory(stub, 0, 0);
    Put(stub, kSectionHeader + 16, kImageEnd - kSectionStart);  // raw size
    Put(stub, kSectionHeader + 20, kSectionStart);  // raw pointer
    return stub;
}

void SetSecurityDirectory(Bytes& image, std::uint32_t offset, std::uint32_t size, bool pe32Plus)
{
    Put(image, kOptionalHeader, pe32Plus ? 0x020B : 0x010B, 2);
    const std::size_t count = kOptionalHeader + (pe32Plus ? 108 : 92);
    Put(image, count, 16);
    Put(image, count + 4 + 4 * 8, offset);
    Put(image, count + 4 + 4 * 8 + 4, size);
}

CarrierImage::CarrierImage(const std::string& labelText, const std::string& targetText, const Bytes& firmware)
    : label(StoredField(labelText, 16, ' ', false)),
      targetName(StoredField(targetText, 16, ' ', true)),
      length(StoredNumber(firmware.size())),
      payload(firmware)
{
    std::uint32_t sum = 0;
    for (auto& b : payload) {
        sum += b;
        b = Scrambled(b);
    }
    checksum = StoredNumber(sum);
}

Bytes CarrierImage::Assemble() const
{
    Bytes out = stub;
    const Bytes layoutTrailer = StoredNumber(stub.size());
    for (const Bytes* part : {&label, &targetName, &length, &payload, &checksum, &gap,
                              trailerFollowsLayout ? &layoutTrailer : &trailer})
        out.insert(out.end(), part->begin(), part->end());
    if (!certificate.empty()) {
        SetSecurityDirectory(out, std::uint32_t(out.size()), std::uint32_t(certificate.size()));
        out.insert(out.end(), certificate.begin(), certificate.end());
    }
    return out;
}

ScratchFolder::ScratchFolder() : m_previous(fs::current_path())
{
    std::random_device random;
    do
        m_path = fs::temp_directory_path() / ("orvane-test-" + std::to_string(random()));
    while (!fs::create_directory(m_path));
    fs::current_path(m_path);
}

ScratchFolder::~ScratchFolder()
{
    fs::current_path(m_previous);
    Clear();
    std::error_code ignored;
    fs::remove(m_path, ignored);
}

void ScratchFolder::Clear() const
{
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(m_path, ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    for (const auto& entry : fs::directory_iterator(m_path, ignored))
        fs::remove_all(entry.path(), ignored);
}

std::vector<std::string> ScratchFolder::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_path))
        names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    return names;
}

FileSizeLimit::FileSizeLimit([[maybe_unused]] std::uint64_t bytes)
{
#ifndef _WIN32
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
    getrlimit(RLIMIT_FSIZE, &m_saved);
    const rlimit limit{bytes > 0 ? bytes : m_saved.rlim_cur, m_saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
#endif
}

FileSizeLimit::~FileSizeLimit()
{
#ifndef _WIN32
    setrlimit(RLIMIT_FSIZE, &m_saved);
#endif
}

}  // namespace testing_support
