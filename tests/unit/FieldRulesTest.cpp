#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "CarrierImage.h"
#include "FieldEncoding.h"
#include "FieldRules.h"

using namespace package;

namespace {

DecimalField DecimalFromText(const std::string& text)
{
    DecimalField field{};
    const auto stored = testing_support::ScrambledDecimalText(text);
    std::copy(stored.begin(), stored.end(), field.begin());
    return field;
}

TextField TextFieldOf(const std::string& bytes, bool scramble)
{
    TextField field{};
    std::memcpy(field.data(), bytes.data(), std::min<std::size_t>(bytes.size(), field.size()));
    if (scramble)
        SwapNibbles(field.data(), field.size());
    return field;
}

// The obvious reference: the C library's own conversion in 64 bits, then wrapped.
std::int32_t ReferenceDecimal(const std::string& text)
{
    const std::string terminated(text.c_str());
    const long long wide = std::strtoll(terminated.c_str(), nullptr, 10);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(wide));
}

}  // namespace

TEST(SwapNibbles, ExchangesHalvesOfEveryByteAndIsItsOwnInverse)
{
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        EXPECT_EQ(SwapNibbles(byte), static_cast<std::uint8_t>((b % 16) * 16 + b / 16)) << b;
        EXPECT_EQ(SwapNibbles(SwapNibbles(byte)), byte) << b;
    }
}

TEST(SwapNibbles, KnownValues)
{
    const std::pair<int, int> cases[] = {{0x00, 0x00}, {0xFF, 0xFF}, {0xA5, 0x5A}, {0x12, 0x21}, {0x20, 0x02}, {0x30, 0x03}, {0x39, 0x93}};
    for (auto [in, out] : cases)
        EXPECT_EQ(SwapNibbles(static_cast<std::uint8_t>(in)), out) << in;
}

TEST(ParseDecimalField, FollowsAtolOnTheUnscrambledText)
{
    const struct {
        std::string text;
        std::int32_t value;
    } cases[] = {
        {std::string(10, '\0'), 0},
        {"          ", 0},
        {"        42", 42},
        {"42        ", 42},
        {std::string("42\0\0\0\0\0\0\0\0", 10), 42},
        {"0000000042", 42},
        {"42abcdefgh", 42},
        {"-5", -5},
        {"+7", 7},
        {"\t\n\v\f\r 42", 42},
        {"- 5", 0},
        {"--5", 0},
        {"abc", 0},
        {"42 7", 42},
        {"2147483647", INT32_MAX},
        {"-999999999", -999999999},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDecimalField(DecimalFromText(c.text)), c.value) << '"' << c.text << '"';
}

TEST(ParseDecimalField, ValuesBeyondThe32BitRangeWrap)
{
    const struct {
        std::string text;
        std::uint32_t pattern;
    } cases[] = {
        {"2147483648", 0x80000000u},
        {"4294967295", 0xFFFFFFFFu},
        {"4294967296", 0u},
        {"9999999999", static_cast<std::uint32_t>(9999999999ull)},
        {"-999999999", static_cast<std::uint32_t>(-999999999)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<std::uint32_t>(ParseDecimalField(DecimalFromText(c.text))), c.pattern) << c.text;
}

TEST(ParseDecimalField, AgreesWithReferenceOnGeneratedTexts)
{
    const std::string alphabet = std::string(" \t\r+-0123456789aZ", 17) + std::string(1, '\0');
    std::mt19937 random(2024);
    for (int n = 0; n < 20000; ++n) {
        std::string text(10, ' ');
        for (auto& c : text)
            c = alphabet[random() % alphabet.size()];
        EXPECT_EQ(ParseDecimalField(DecimalFromText(text)), ReferenceDecimal(text)) << text;
    }
}

TEST(IsPlainDecimalField, AcceptsANumberAndNothingElse)
{
    const struct {
        std::string text;
        bool plain;
    } cases[] = {
        {"0000000300", true},
        {"300", true},
        {"  300     ", true},
        {"-5", true},
        {std::string(10, '\0'), true},
        {"          ", true},
        {"\xcf" "000000300", false},  // a damaged leading digit
        {"0000000\xcc" "00", false},  // a damaged digit in the middle
        {"42abcdefgh", false},
        {"42 7", false},
        {"- 5", false},
        {"abc", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsPlainDecimalField(DecimalFromText(c.text)), c.plain) << '"' << c.text << '"';
}

TEST(ParseTextField, StopsAtFirstSpaceOrNul)
{
    const struct {
        std::string field;
        std::string text;
    } cases[] = {
        {" ABCDEFGHIJKLMNO", ""},
        {"AB CD           ", "AB"},
        {"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP"},
        {std::string("AB\0CD", 5), "AB"},
        {"FW_v1.2.bin", "FW_v1.2.bin"},
        {"", ""},
    };
    for (const auto& c : cases)
        for (bool scrambled : {false, true})
            EXPECT_STREQ(ParseTextField(TextFieldOf(c.field, scrambled), scrambled).data(), c.text.c_str())
                << c.field << " scrambled=" << scrambled;
}

TEST(ParseTextField, LabelIsShownAsStored)
{
    // 0x14 0x24 is "AB" scrambled; a label is never unscrambled.
    const TextField field = TextFieldOf("\x14\x24", false);
    EXPECT_STREQ(ParseTextField(field, false).data(), "\x14\x24");
    EXPECT_STREQ(ParseTextField(field, true).data(), "AB");
}

TEST(AccumulateChecksum, SumsUnscrambledBytesWithWraparound)
{
    EXPECT_EQ(AccumulateChecksum(0, nullptr, 0), 0u);
    const std::uint8_t ffAndOne[] = {SwapNibbles(0xFF), SwapNibbles(0x01)};
    EXPECT_EQ(AccumulateChecksum(0, ffAndOne, 2), 256u);
    EXPECT_EQ(AccumulateChecksum(0xFFFFFFFFu, ffAndOne, 2), 255u);

    const auto bytes = testing_support::PatternBytes(5000, 3);
    std::uint32_t reference = 0;
    for (auto b : bytes)
        reference += SwapNibbles(b);
    EXPECT_EQ(AccumulateChecksum(0, bytes.data(), bytes.size()), reference);
}

TEST(FieldEncoding, DecimalFieldsReadBackAsTheSamePattern)
{
    for (std::uint32_t value : {0u, 1u, 42u, 2147483647u, 2147483648u, 4294967295u})
        EXPECT_EQ(static_cast<std::uint32_t>(ParseDecimalField(EncodeDecimalField(value))), value);
}

TEST(FieldEncoding, TextFieldsReadBack)
{
    for (const std::string text : {"", "A", "firmware.bin", "ABCDEFGHIJKLMNOP", "\xB0\xA1\xFF"})
        for (bool scrambled : {false, true})
            EXPECT_STREQ(ParseTextField(EncodeTextField(text, scrambled), scrambled).data(), text.c_str());
}

TEST(FieldEncoding, RefusesTextThatWouldNotReadBackWhole)
{
    const struct {
        std::string text;
        const char* problem;  // a word the message must contain, or null when accepted
    } cases[] = {
        {"ABCDEFGHIJKLMNOP", nullptr},
        {"", nullptr},
        {"ABCDEFGHIJKLMNOPQ", "17 bytes"},
        {"AB CD", "space"},
        {" AB", "space"},
        {std::string("AB\0C", 4), "NUL"},
    };
    for (const auto& c : cases) {
        const std::string problem = CheckFieldText(c.text, "label");
        if (c.problem == nullptr) {
            EXPECT_EQ(problem, "") << c.text;
        } else {
            EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
            EXPECT_EQ(problem.rfind("label", 0), 0u) << problem;
        }
    }
}
