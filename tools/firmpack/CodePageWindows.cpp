#include <windows.h>

#include <shellapi.h>

#include "CodePage.h"
#include "Utf8.h"

namespace {

std::wstring Widen(const std::string& text, UINT codePage)
{
    const int size = static_cast<int>(text.size());
    const int wideSize = size > 0 ? MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0) : 0;
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    if (wideSize > 0)
        MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], wideSize);
    return wide;
}

// `flags` 0 lets Windows substitute its best fit, as it does for a program's ANSI arguments.
std::string Narrow(const std::wstring& wide, UINT codePage)
{
    const int size = static_cast<int>(wide.size());
    const int narrowSize = size > 0 ? WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr) : 0;
    std::string text(static_cast<std::size_t>(narrowSize), '\0');
    if (narrowSize > 0)
        WideCharToMultiByte(codePage, 0, wide.data(), size, &text[0], narrowSize, nullptr, nullptr);
    return text;
}

}  // namespace

Encoding EncodeText(const std::string& text, int codePage, std::string& out, std::size_t& at)
{
    out.clear();
    if (!IsValidCodePage(static_cast<UINT>(codePage)))
        return Encoding::NoConverter;
    std::size_t length = 0;
    for (at = 0; at < text.size(); at += length) {
        char32_t codePoint = 0;
        if (!ReadUtf8Character(text, at, codePoint, length))
            return Encoding::NotUtf8;
        // One character at a time, so that the one without a form is known. No best fit:
        // a character must not turn into a look-alike.
        const std::wstring wide = Widen(text.substr(at, length), CP_UTF8);
        char bytes[8];
        BOOL usedDefault = FALSE;
        const int size = WideCharToMultiByte(static_cast<UINT>(codePage), WC_NO_BEST_FIT_CHARS, wide.data(),
                                             static_cast<int>(wide.size()), bytes, sizeof(bytes), nullptr, &usedDefault);
        if (size <= 0 || usedDefault)
            return Encoding::NoForm;
        out.append(bytes, static_cast<std::size_t>(size));
    }
    return Encoding::Converted;
}

bool DecodeCharacter(const std::string& bytes, std::size_t at, int codePage, std::string& utf8, std::size_t& used)
{
    used = IsDBCSLeadByteEx(static_cast<UINT>(codePage), static_cast<BYTE>(bytes[at])) ? 2 : 1;
    wchar_t wide[2];
    const int size = at + used > bytes.size() ? 0
                                              : MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS,
                                                                    bytes.data() + at, static_cast<int>(used), wide, 2);
    if (size <= 0)
        return false;
    utf8 = Narrow(std::wstring(wide, static_cast<std::size_t>(size)), CP_UTF8);
    return true;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (wide == nullptr) {
        for (int i = 1; i < argc; ++i)
            arguments.push_back(Narrow(Widen(argv[i], CP_ACP), CP_UTF8));
        return arguments;
    }
    for (int i = 1; i < count; ++i)
        arguments.push_back(Narrow(wide[i], CP_UTF8));
    LocalFree(wide);
    return arguments;
}

std::string SystemText(const std::string& typed)
{
    return Narrow(Widen(typed, CP_UTF8), CP_ACP);
}
