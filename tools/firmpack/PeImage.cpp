#include "PeImage.h"

#include <cstdint>
#include <fstream>

namespace {

constexpr std::streamoff kNewHeaderPointer = 0x3C;

}  // namespace

bool IsPeImage(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char mz[2] = {};
    unsigned char pointer[4] = {};
    char signature[4] = {};
    if (!in.read(mz, 2) || mz[0] != 'M' || mz[1] != 'Z')
        return false;
    if (!in.seekg(kNewHeaderPointer).read(reinterpret_cast<char*>(pointer), 4))
        return false;
    const std::uint32_t offset = pointer[0] | pointer[1] << 8 | pointer[2] << 16 | std::uint32_t{pointer[3]} << 24;
    if (!in.seekg(offset).read(signature, 4))
        return false;
    return signature[0] == 'P' && signature[1] == 'E' && signature[2] == '\0' && signature[3] == '\0';
}
