// demo_driver: shows a carrier doing its work, as a user would see it. Starts CARRIER in
// WORKDIR, presses its upgrade button, reports the message it answers with and keeps two
// screenshots in SHOTS_DIR: dialog.bmp (the dialog) and result.bmp (the whole screen, the
// message box over the dialog).
#include <cstdio>
#include <string>

#include "DialogDriver.h"
#include "Screenshot.h"

using namespace e2e;

namespace {

constexpr int kUpgradeButton = 1;
constexpr DWORD kTimeoutMs = 20000;  // generous: a first start under Wine can be slow

int Fail(const std::string& message)
{
    std::fprintf(stderr, "demo_driver: %s\n", message.c_str());
    return 1;
}

// Where the dialog and its message box lie together on the screen, as WIDTHxHEIGHT+X+Y,
// so that the screenshot can be cropped to them.
std::string UnionGeometry(HWND a, HWND b)
{
    RECT ra, rb, both;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    UnionRect(&both, &ra, &rb);
    char text[64];
    std::snprintf(text, sizeof(text), "%ldx%ld+%ld+%ld", both.right - both.left, both.bottom - both.top,
                  both.left, both.top);
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return Fail("usage: demo_driver CARRIER.exe WORKDIR SHOTS_DIR");
    const std::string shots = std::string(argv[3]) + "\\";

    // The paths as the system's code page gives them, widened as Windows would.
    const auto wide = [](const char* text) {
        wchar_t buffer[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, MAX_PATH);
        return std::wstring(buffer);
    };
    DialogDriver driver(wide(argv[1]), wide(argv[2]));
    if (!driver.Started())
        return Fail("cannot start " + std::string(argv[1]));
    if (!driver.WaitForDialog(kTimeoutMs))
        return Fail("timed out waiting for the carrier's dialog");
    std::printf("Dialog caption: %s\n", driver.Caption().c_str());
    if (!SaveWhenPainted(driver.Dialog(), driver.Dialog(), shots + "dialog.bmp", kTimeoutMs))
        return Fail("cannot save " + shots + "dialog.bmp, or the carrier does not answer");

    driver.Press(kUpgradeButton);
    const auto box = driver.WaitForMessageBox(kTimeoutMs);
    if (!box) {
        if (const auto code = driver.WaitForExit(0))
            return Fail("the carrier ended without a message box, exit code " + std::to_string(*code));
        return Fail("timed out waiting for the carrier's message box");
    }
    std::printf("Message box caption: %s\nMessage box text: %s\n", box->caption.c_str(), box->text.c_str());
    if (!SaveWhenPainted(box->window, GetDesktopWindow(), shots + "result.bmp", kTimeoutMs))
        return Fail("cannot save " + shots + "result.bmp, or the carrier does not answer");
    std::printf("Result area: %s\n", UnionGeometry(driver.Dialog(), box->window).c_str());

    driver.Dismiss(*box);
    const auto code = driver.WaitForExit(kTimeoutMs);
    if (!code)
        return Fail("timed out waiting for the carrier to end");
    std::printf("Carrier exit code: %lu\n", static_cast<unsigned long>(*code));
    return 0;
}
