// ParseDecimalField against the Windows runtime's own atol (msvcrt.dll, as the carrier
// links it), on generated texts of signs, white space, digits, letters and NULs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <random>
#include <string>

#include "CarrierImage.h"
#include "FieldRules.h"

namespace {

using AtolFunction = long(__cdecl*)(const char*);

AtolFunction RuntimeAtol()
{
    HMODULE runtime = LoadLibraryA("msvcrt.dll");
    return reinterpret_cast<AtolFunction>(reinterpret_cast<void (*)()>(GetProcAddress(runtime, "atol")));
}

std::string GeneratedText(std::mt19937& random)
{
    static const std::string alphabet = std::string(" \t\n\v\f\r+-0123456789012345678901234567890123456789aZx", 50) +
                                        std::string(1, '\0');
    std::string text(package::kDecimalFieldSize, ' ');
    for (auto& c : text)
        c = alphabet[random() % alphabet.size()];
    return text;
}

package::DecimalField StoredField(const std::string& text)
{
    package::DecimalField field{};
    const auto stored = testing_support::ScrambledDecimalText(text);
    std::copy(stored.begin(), stored.end(), field.begin());
    return field;
}

}  // namespace

TEST(AtolReference, AgreesWithTheRuntimeWithinThe32BitRange)
{
    const AtolFunction atol = RuntimeAtol();
    ASSERT_NE(atol, nullptr);
    std::mt19937 random(1234);
    int compared = 0, beyond = 0, beyondDiffering = 0;
    for (int n = 0; n < 200000; ++n) {
        const std::string text = GeneratedText(random);
        const long long exact = std::strtoll(text.c_str(), nullptr, 10);
        const std::int32_t ours = package::ParseDecimalField(StoredField(text));
        if (exact < INT32_MIN || exact > INT32_MAX) {
            // Beyond the range the runtime's result is its own; ours wraps modulo 2^32.
            ++beyond;
            beyondDiffering += ours != atol(text.c_str()) ? 1 : 0;
            continue;
        }
        ++compared;
        EXPECT_EQ(ours, atol(text.c_str())) << '"' << text << '"';
    }
    std::cout << "[ FIGURES  ] atol: " << compared << " texts within the 32-bit range compared; " << beyond
              << " beyond it, where " << beyondDiffering << " differ (we wrap modulo 2^32)" << std::endl;
    EXPECT_GT(compared, 100000);
}
