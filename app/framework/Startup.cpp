// The carrier's own entry point, in place of the C runtime's start-up code: msvcrt.dll sets
// itself up as it loads, so what is left is to run the static constructors, call WinMain and
// end the process with its result. None of the runtime's start-up machinery (TLS callbacks,
// pseudo-relocations, argument parsing, frame registration) then reaches the stub.
#include <windows.h>

#include <cstddef>
#include <cstdlib>

// The linker lays the constructors' table out as -1, the constructors, then 0.
extern "C" void (*__CTOR_LIST__[])();

namespace {

void RunStaticConstructors()
{
    std::size_t count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr)
        ++count;
    for (; count > 0; --count)  // last first, as the runtime's start-up does
        __CTOR_LIST__[count]();
}

}  // namespace

// Static objects register their destructors here. The carrier ends with ExitProcess, which
// runs none: its objects hold nothing then that the system does not release.
extern "C" int __cdecl atexit(void(__cdecl*)(void))
{
    return 0;
}

// Windows enters with the stack aligned to 4 bytes; the compiler's code expects 16.
extern "C" __attribute__((force_align_arg_pointer)) void CarrierStartup()
{
    RunStaticConstructors();
    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT)));
}
