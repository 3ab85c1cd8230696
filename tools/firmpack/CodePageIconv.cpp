#include <iconv.h>

#include <cerrno>

#include "CodePage.h"
#include "Utf8.h"

namespace {

// One iconv conversion, closed when it goes out of scope.
class Converter {
public:
    Converter(const std::string& to, const std::string& from) : m_cd(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter()
    {
        if (*this)
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    explicit operator bool() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts all of [in, in + inLeft) from a fresh start; false, with errno, when it stops
    // early. Both sides are advanced past what was converted.
    bool Convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* input = const_cast<char*>(in);
        const bool done = iconv(m_cd, &input, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
        in = input;
        return done;
    }

private:
    iconv_t m_cd;
};

// glibc names the Windows code pages CP949, CP1252, ...
std::string IconvName(int codePage)
{
    return "CP" + std::to_string(codePage);
}

}  // namespace

Encoding EncodeText(const std::string& text, int codePage, std::string& out, std::size_t& at)
{
    Converter converter(IconvName(codePage), "UTF-8");
    if (!converter)
        return Encoding::NoConverter;
    out.assign(2 * text.size(), '\0');  // no character grows beyond twice its UTF-8 length
    const char* in = text.data();
    std::size_t inLeft = text.size();
    char* written = &out[0];
    std::size_t outLeft = out.size();
    const bool done = converter.Convert(in, inLeft, written, outLeft);
    out.resize(out.size() - outLeft);
    at = static_cast<std::size_t>(in - text.data());
    if (done)
        return Encoding::Converted;
    // iconv says EILSEQ both for bytes that are no UTF-8 and for a character it cannot map.
    char32_t codePoint = 0;
    std::size_t length = 0;
    return ReadUtf8Character(text, at, codePoint, length) ? Encoding::NoForm : Encoding::NotUtf8;
}

bool DecodeCharacter(const std::string& bytes, std::size_t at, int codePage, std::string& utf8, std::size_t& used)
{
    Converter converter("UTF-8", IconvName(codePage));
    // A character of these code pages is one byte or two: iconv asks for more after a lead byte.
    for (used = 1; converter && used <= 2 && at + used <= bytes.size(); ++used) {
        char buffer[8];
        char* out = buffer;
        std::size_t outLeft = sizeof(buffer);
        const char* in = bytes.data() + at;
        std::size_t inLeft = used;
        if (converter.Convert(in, inLeft, out, outLeft)) {
            utf8.assign(buffer, out);
            return true;
        }
        if (errno != EINVAL)
            return false;
    }
    return false;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::string SystemText(const std::string& typed)
{
    return typed;
}
