// The field rules, each edge once; where a text field ends, the field fuzz target's corpus
// shows. Fields are stored by the test support, not by the code under test, so that a fault
// in the nibble swap cannot cancel itself out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "CarrierImage.h"
#include "FieldEncoding.h"

#ifdef _WIN32
#include <windows.h>
#endif

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

// The runtime's own atol: on Windows msvcrt.dll's, as the carrier links it.
long (*RuntimeAtol())(const char*)
{
#ifdef _WIN32
    const FARPROC atol = GetProcAddress(LoadLibraryA("msvcrt.dll"), "atol");
    return reinterpret_cast<long (*)(const char*)>(reinterpret_cast<void (*)()>(atol));
#else
    return &std::atol;
#endif
}

}  // namespace

// The value as atol reads the unscrambled text, wrapped modulo 2^32 beyond the signed range;
// and whether a length field may hold it (a number and nothing else, or blank).
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

// On generated texts of signs, white space, digits, letters and NULs. Beyond the 32-bit range
// the runtime's result is its own; ours wraps modulo 2^32 (the table above).
TEST(DecimalField, AgreesWithTheRuntimesAtolWithinThe32BitRange)
{
    const auto atol = RuntimeAtol();
    ASSERT_NE(atol, nullptr);
    const std::string alphabet = std::string(" \t\n\v\f\r+-0123456789012345678901234567890123456789aZx", 50) + '\0';
    std::mt19937 random(1234);
    int compared = 0;
    for (int n = 0; n < 200000; ++n) {
        std::string text(kDecimalFieldSize, ' ');
        for (auto& c : text)
            c = alphabet[random() % alphabet.size()];
        const long long exact = std::strtoll(text.c_str(), nullptr, 10);
        if (exact < INT32_MIN || exact > INT32_MAX)
            continue;
        EXPECT_EQ(ParseDecimalField(Decimal(text)), atol(text.c_str())) << '"' << text << '"';
        ++compared;
    }
    EXPECT_GT(compared, 100000);
}
