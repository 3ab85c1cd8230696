// ParseDecimalField against the runtime's own atol (on Windows msvcrt.dll's, as the carrier
// links it) on generated texts of signs, white space, digits, letters and NULs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <random>

#include "CarrierImage.h"
#include "FieldRules.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using AtolFunction = long (*)(const char*);

AtolFunction RuntimeAtol()
{
#ifdef _WIN32
    HMODULE runtime = LoadLibraryA("msvcrt.dll");
    return reinterpret_cast<AtolFunction>(reinterpret_cast<void (*)()>(GetProcAddress(runtime, "atol")));
#else
    return &std::atol;
#endif
}

}  // namespace

TEST(AtolReference, AgreesWithTheRuntimeWithinThe32BitRange)
{
    const AtolFunction atol = RuntimeAtol();
    ASSERT_NE(atol, nullptr);
    const std::string alphabet = std::string(" \t\n\v\f\r+-0123456789012345678901234567890123456789aZx", 50) + '\0';
    std::mt19937 random(1234);
    int compared = 0;
    for (int n = 0; n < 200000; ++n) {
        std::string text(package::kDecimalFieldSize, ' ');
        for (auto& c : text)
            c = alphabet[random() % alphabet.size()];
        // Beyond the range the runtime's result is its own; ours wraps modulo 2^32.
        const long long exact = std::strtoll(text.c_str(), nullptr, 10);
        if (exact < INT32_MIN || exact > INT32_MAX)
            continue;
        package::DecimalField field;
        const auto stored = testing_support::ScrambledDecimalText(text);
        std::copy(stored.begin(), stored.end(), field.begin());
        EXPECT_EQ(package::ParseDecimalField(field), atol(text.c_str())) << '"' << text << '"';
        ++compared;
    }
    std::cout << "[ FIGURES  ] atol: " << compared << " texts within the 32-bit range compared" << std::endl;
    EXPECT_GT(compared, 100000);
}
