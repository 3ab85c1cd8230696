// The field rules, each edge once; where a text field ends, the field fuzz target's corpus
// shows. Fields are stored by the test support, not by the code under test, so that a fault
// in the nibble swap cannot cancel itself out.
#include <gtest/gtest.h>

#include "CarrierImage.h"
#include "FieldEncoding.h"

using namespace package;
using namespace testing_support;

namespace {

DecimalField Decimal(const std::string& text)
{
    const Bytes stored = ScrambledDecimalText(text);
    DecimalField field{};
    std::copy_n(stored.begin(), field.size(), field.begin());
    return field;
}

}  // namespace

// The value as atol reads the unscrambled text, wrapped modulo 2^32 beyond the signed range
// (the field fuzz target compares it with strtoll on any bytes); and whether a length field
// may hold it (a number and nothing else, or blank).
TEST(DecimalField, ValueAndWhetherItIsAPlainNumber)
{
    const struct {
        std::string text;
        std::int64_t value;
        bool plain;
    } cases[] = {
        {"  300     ", 300, true},
        {std::string("42\0\0\0\0\0\0\0\0", 10), 42, true},
        {"\t\n\v\f\r 42", 42, true},
        {"-5", -5, true},
        {std::string(10, '\0'), 0, true},
        {"          ", 0, true},
        {"42abcdefgh", 42, false},
        {"42 7", 42, false},
        {"42\t", 42, false},
        {"0000000\xcc" "00", 0, false},  // a damaged digit: what precedes it reads as 0
        {"- 5", 0, false},
        {"2147483647", 2147483647, true},
        {"2147483648", 2147483648, true},
        {"4294967296", 4294967296, true},
        {"9999999999", 9999999999, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<std::uint32_t>(ParseDecimalField(Decimal(c.text))), static_cast<std::uint32_t>(c.value))
            << '"' << c.text << '"';
        EXPECT_EQ(IsPlainDecimalField(Decimal(c.text)), c.plain) << '"' << c.text << '"';
    }
}
