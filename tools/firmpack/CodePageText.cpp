#include "CodePageText.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "CodePage.h"
#include "Platform.h"
#include "PackageLayout.h"
#include "TextEscaping.h"
#include "Utf8.h"

namespace {

// A piece of stored text: the bytes of one character with its UTF-8, or a byte that starts
// no character (utf8 empty).
struct Piece {
    std::string bytes;
    std::string utf8;
};

std::vector<Piece> Decode(const std::string& bytes, int codePage)
{
    std::vector<Piece> pieces;
    std::size_t used = 1;
    for (std::size_t at = 0; at < bytes.size(); at += used) {
        std::string utf8;
        char32_t character = 0;
        if (DecodeCharacter(bytes, at, codePage, character, used))
            AppendUtf8Character(character, utf8);
        else
            used = 1;
        pieces.push_back({bytes.substr(at, used), utf8});
    }
    return pieces;
}

bool IsPlainAscii(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x80; });
}

bool IsControl(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

// "é" (U+00E9): the character of `text` at `at`.
std::string NameCharacter(const std::string& text, std::size_t at)
{
    char32_t codePoint = 0;
    std::size_t length = 0;
    ReadUtf8Character(text, at, codePoint, length);
    char number[16];
    std::snprintf(number, sizeof(number), "U+%04lX", static_cast<unsigned long>(codePoint));
    return "\"" + text.substr(at, length) + "\" (" + number + ")";
}

std::string EncodingRefusal(Encoding result, const std::string& typed, const std::string& field, int codePage,
                            std::size_t at)
{
    const std::string codePageName = "code page " + std::to_string(codePage);
    switch (result) {
    case Encoding::Converted:
        break;
    case Encoding::NoForm:
        return field + " \"" + typed + "\": " + NameCharacter(typed, at) + " has no form in " + codePageName;
    case Encoding::NotUtf8:
        return field + " \"" + EscapeForTerminal(typed) + "\" is not UTF-8 text (--codepage raw stores bytes " +
               "exactly as given)";
    }
    return "";
}

// The bytes `typed` is stored as, or why it cannot be converted.
std::string ConvertTyped(const std::string& typed, const std::string& field, int codePage, std::string& stored)
{
    if (codePage == kRawBytes) {
        stored = AnsiBytes(typed);
        return "";
    }
    if (codePage == kNoCodePage) {
        stored = typed;
        if (IsPlainAscii(typed))
            return "";
        return field + " \"" + EscapeControls(typed) + "\" is not plain ASCII: give --codepage with the code page of " +
               "the Windows the carrier is for (949, 932, 936, 950, 1250-1258), or --codepage raw to store the bytes " +
               "exactly as given";
    }
    std::size_t at = 0;
    const Encoding result = EncodeText(typed, codePage, stored, at);
    return result == Encoding::Converted ? "" : EncodingRefusal(result, typed, field, codePage, at);
}

}  // namespace

void AddCodePageOption(CLI::App& command, int& codePage, const std::string& description)
{
    std::vector<std::string> names;
    for (int number : CodePageNumbers())
        names.push_back(std::to_string(number));
    names.push_back("raw");
    command
        .add_option_function<std::string>(
            "--codepage", [&codePage](const std::string& name) { codePage = name == "raw" ? kRawBytes : std::stoi(name); },
            description)
        ->check(CLI::IsMember(names))
        ->type_name("CP");
}

std::string ToFieldBytes(const std::string& typed, const char* what, int codePage, std::string& stored)
{
    const std::string field(what);
    const auto control = std::find_if(typed.begin(), typed.end(), IsControl);
    if (codePage != kRawBytes && control != typed.end()) {
        char number[8];
        std::snprintf(number, sizeof(number), "0x%02X", static_cast<unsigned char>(*control));
        return field + " \"" + EscapeControls(typed) + "\" holds the control character " + number +
               ", which a caption or file name cannot show";
    }
    const std::string problem = ConvertTyped(typed, field, codePage, stored);
    if (!problem.empty())
        return problem;
    // The format's rules hold for the stored bytes; the refusal quotes the text as typed.
    const std::string quoted = field + " \"" + EscapeControls(typed) + "\"";
    if (stored.size() > static_cast<std::size_t>(package::kTextFieldSize))
        return quoted + " is " + std::to_string(stored.size()) + " bytes long" +
               (codePage > kRawBytes ? " in code page " + std::to_string(codePage) : "") + "; at most " +
               std::to_string(package::kTextFieldSize) + " bytes fit";
    if (stored.find(' ') != std::string::npos)
        return quoted + " contains a space; the text would end there";
    return "";
}

std::string ShowForTerminal(const std::string& bytes, int codePage)
{
    if (codePage <= kRawBytes)
        return EscapeForTerminal(bytes);
    std::string shown;
    for (const Piece& piece : Decode(bytes, codePage)) {
        if (piece.utf8.empty())
            shown += EscapeForTerminal(piece.bytes);
        else if (piece.utf8.size() == 1)
            shown += EscapeForTerminal(piece.utf8);  // ASCII: controls and \ escaped as without a code page
        else
            shown += piece.utf8;
    }
    return shown;
}

std::string EscapeControls(const std::string& utf8)
{
    std::string shown;
    for (const char c : utf8)
        shown += IsControl(static_cast<unsigned char>(c)) ? EscapeForTerminal(std::string(1, c)) : std::string(1, c);
    return shown;
}

std::string DecodeToUtf8(const std::string& bytes, int codePage)
{
    std::string text;
    for (const Piece& piece : Decode(bytes, codePage))
        text += piece.utf8.empty() ? "\xEF\xBF\xBD" : piece.utf8;
    return text;
}
