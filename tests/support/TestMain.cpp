// The test programs' entry. On Windows the process ends at once when the results are out,
// without tearing its threads down: where Wine's 32-bit side runs under qemu, a thread dying
// as the process ends crashes it after every test has passed.
#include <gtest/gtest.h>

#include <cstdio>
#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
#ifdef _WIN32
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(failed));
#endif
    return failed;
}
