// The field rules, each edge once. Fields are stored by the test support, not by the code
// under test, so that a fault in the nibble swap cannot cancel itself out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "CarrierImage.h"
#include "FieldEncoding.h"

using namespace package;
using namespace testing_support;

namespace {

// The stored bytes as the fixed-size field the parser takes.
template <typename Field>
Field AsField(const Bytes& stored)
{
    Field field{};
    std::copy_n(stored.begin(), field.size(), field.begin());
    return field;
}


}  // namespace

// Whether a length field may hold the text: a number and nothing else, or blank. Its value is
// checked against strtoll below.
TEST(DecimalField, PlainNumberOrNot)
{
    const std::pair<std::string, bool> cases[] = {
        {"  300     ", true}, {std::string("42\0\0\0\0\0\0\0\0", 10), true}, {"\t\n\v\f\r 42", true}, {"-5", true},
        {std::string(10, '\0'), true}, {"          ", true}, {"9999999999", true}, {"42abcdefgh", false},
        {"42 7", false}, {"42\t", false}, {"0000000\xcc" "00", false}, {"- 5", false},
    };
    for (const auto& [text, plain] : cases)
        EXPECT_EQ(IsPlainDecimalField(AsField<DecimalField>(ScrambledDecimalText(text))), plain) << '"' << text << '"';
}

// On random texts of white space, signs, digits, letters and NULs: what strtoll reads, wrapped
// modulo 2^32 beyond the signed range (ten digits often).
TEST(DecimalField, AgreesWithStrtollOnRandomTexts)
{
    const std::string alphabet(" \t\n\v\f\r+-0123456789012345678901234567890123456789aZ\0", 51);
    std::mt19937 random(1234);
    for (int n = 0; n < 100000; ++n) {
        std::string text(kDecimalFieldSize, ' ');
        for (auto& c : text)
            c = alphabet[random() % alphabet.size()];
        const auto expected = static_cast<std::int32_t>(static_cast<std::uint32_t>(std::strtoll(text.c_str(), nullptr, 10)));
        ASSERT_EQ(ParseDecimalField(AsField<DecimalField>(ScrambledDecimalText(text))), expected) << '"' << text << '"';
    }
}

// The text ends at the first space or NUL, unscrambled first for a target name; a label's
// bytes are taken as they are, even when they look scrambled.
TEST(TextField, EndsAtTheFirstSpaceOrNul)
{
    const std::pair<std::string, std::string> cases[] = {
        {" AB", ""}, {"AB CD", "AB"}, {std::string("AB\0CD", 5), "AB"}, {"0123456789abcdef", "0123456789abcdef"},
        {"\x12\x21\t", "\x12\x21\t"}, {"", ""},
    };
    for (const auto& [text, expected] : cases) {
        for (const bool scrambled : {false, true}) {
            const auto field = AsField<TextField>(StoredField(text, kTextFieldSize, ' ', scrambled));
            EXPECT_EQ(ParseTextField(field, scrambled).data(), expected) << text << scrambled;
        }
    }
}
