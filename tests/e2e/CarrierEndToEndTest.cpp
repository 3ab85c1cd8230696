// The real carrier under Wine, driven as a user would; a run costs seconds, so each checks all it can.
// Helpers report through their result: GoogleTest's own reporting starts a thread, fatal to emulated Wine.
#include <gtest/gtest.h>

#include <algorithm>

#include "CarrierImage.h"
#include "DialogDriver.h"
#include "ExtractResult.h"
#include "ProbeMessage.h"
#include "Screenshot.h"
#include "resource.h"

using namespace e2e;
using namespace testing_support;
using package::ExtractResult;
namespace fs = std::filesystem;

namespace {

const std::string kTemplateCaption = "Orvane Firmware Upgrade";

const fs::path kHere = fs::path(_pgmptr).parent_path();  // the runtime's full path of this program
// Resolved before a test moves the working directory into a scratch folder.
const fs::path kShots = std::getenv("ORVANE_ARTIFACTS") ? fs::absolute(std::getenv("ORVANE_ARTIFACTS")) : kHere;

// What the dialog answers `message` when WindowProbe.cpp, hooked into its thread, sends it there;
// 0 if the probe did not load. Hooked, as memory written into the carrier lands a page off emulated.
DWORD_PTR AskProbe(HWND dialog, UINT message, WPARAM wParam = 0)
{
    const HMODULE dll = LoadLibraryA((kHere / "e2e_probe.dll").string().c_str());
    const auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(dll, "AnswerProbe")));
    const HHOOK hooked = SetWindowsHookExA(WH_CALLWNDPROC, hook, dll, GetWindowThreadProcessId(dialog, nullptr));
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(dialog, RegisterWindowMessageA(kProbeMessage), message, wParam, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    UnhookWindowsHookEx(hooked);
    FreeLibrary(dll);
    return answer;
}

// Whether `window`'s centre lies within two pixels of `over`'s.
bool CentredOn(HWND window, HWND over)
{
    RECT a, b;
    GetWindowRect(window, &a);
    GetWindowRect(over, &b);
    return std::abs(a.left + a.right - b.left - b.right) <= 4 && std::abs(a.top + a.bottom - b.top - b.bottom) <= 4;
}

class CarrierTest : public ::testing::Test {
protected:
    // Writes the carrier (its payload damaged when asked) and starts it, by default in its folder.
    bool Open(const std::string& name, const std::string& label, const std::string& target, bool damaged = false,
              const fs::path& workingDirectory = "")
    {
        CarrierImage image(label, target, firmware);
        image.stub = ReadBytes(kHere / "OrvaneFirmUp.exe");
        image.payload[123] ^= damaged ? 0x10 : 0;  // the checksum then no longer matches
        WriteBytes(name, image.Assemble());
        const auto cwd = workingDirectory.empty() ? folder.Path() : workingDirectory;
        driver = std::make_unique<DialogDriver>((folder.Path() / name).string(), cwd.string());
        return driver->Started() && driver->WaitForDialog();
    }

    // What the carrier says after `act`, "(none)" for nothing, once it has ended by itself.
    std::string Outcome(void (*act)(const DialogDriver&), const std::string& caption)
    {
        act(*driver);
        const auto box = driver->WaitForMessageBox();
        if (box) {
            EXPECT_EQ(box->caption, caption);
            EXPECT_EQ(box->buttons.size(), 1u) << "the system's plain OK box";
            driver->Dismiss(*box);
        }
        const auto code = driver->WaitForExit();
        EXPECT_TRUE(code && *code < 0xC0000000u) << "still running, or ended by an exception";
        return box ? box->text : "(none)";
    }

    ScratchFolder folder;
    const Bytes firmware = PatternBytes(70000, 11);
    std::unique_ptr<DialogDriver> driver;
};

void Upgrade(const DialogDriver& d) { d.Press(IDOK); }
void Enter(const DialogDriver& d) { d.PressKey(VK_RETURN); }
void Exit(const DialogDriver& d) { d.Press(IDCANCEL); }
void Escape(const DialogDriver& d) { d.PressKey(VK_ESCAPE); }
void CloseBox(const DialogDriver& d) { d.SystemCommand(SC_CLOSE); }
// Alt+Space, as the system passes it on, opens the system menu; Up wraps round to its last entry.
void AboutByKeys(const DialogDriver& d)
{
    PostMessageA(d.Dialog(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
    WaitUntil([] { return IsWindowVisible(FindWindowA("#32768", nullptr)); }, 3000);  // Up before it only opens it
    d.PressKey(VK_UP);
    d.PressKey(VK_RETURN);
}
void EnterOnExit(const DialogDriver& d)
{
    d.PressKey(VK_TAB);
    WaitUntil([&] { return d.FocusedControlId() == IDCANCEL; }, 3000);  // if not, Enter upgrades: a failure
    d.PressKey(VK_RETURN);
}

// ---- One run per way through the dialog ------------------------------------------------

enum Start { InItsFolder, DamagedPayload, FromElsewhere };
enum Target { NoTarget, LongerTarget, ReadOnlyTarget };  // longer than the firmware: truncation shows

struct Way {
    const char *name, *carrier, *label, *target;  // the message box's caption: carrier less its last extension
    Start start;
    Target existing;
    void (*act)(const DialogDriver&);
    ExtractResult result;  // NoPackage: the carrier ends without a message
};

const Way kWays[] = {
    {"EnterAtOnceWrites", "Upgrade.exe", "R1.0", "fw.bin", InItsFolder, NoTarget, Enter, ExtractResult::Extracted},
    {"ButtonReplacesLongerTarget", "fw.v2.exe", "R2.0", "fw.bin", InItsFolder, LongerTarget, Upgrade,
     ExtractResult::Extracted},
    {"BadChecksumKeepsTarget", "Up.exe", "R2.1", "fw.bin", DamagedPayload, LongerTarget, Upgrade,
     ExtractResult::ChecksumMismatch},
    {"ReadOnlyTargetIsKept", "Up.exe", "R2.2", "fw.bin", InItsFolder, ReadOnlyTarget, Upgrade,
     ExtractResult::TargetNotWritable},
    {"ElsewhereDoesNothing", "Up.exe", "R3.0", "fw.bin", FromElsewhere, NoTarget, Upgrade, ExtractResult::NoPackage},
    {"ExitLeaves", "Up.exe", "ABCDEFGHIJKLMNOP", "sixteen-bytes.xy", InItsFolder, NoTarget, Exit,
     ExtractResult::NoPackage},
    {"EscapeLeaves", "Up.exe", "", "fw.bin", InItsFolder, NoTarget, Escape, ExtractResult::NoPackage},
    {"CloseBoxLeaves", "Up.exe", "R4.0", "fw.bin", InItsFolder, NoTarget, CloseBox, ExtractResult::NoPackage},
    {"EnterOnExitLeaves", "Up.exe", "R4.1", "fw.bin", InItsFolder, NoTarget, EnterOnExit, ExtractResult::NoPackage},
};

class WayTest : public CarrierTest, public ::testing::WithParamInterface<Way> {};

TEST_P(WayTest, ShowsTheCaptionAndMessageAndLeavesTheFilesAsExpected)
{
    const Way& w = GetParam();
    const Bytes previous = PatternBytes(firmware.size() + 5000, 99);
    if (w.existing != NoTarget)
        WriteBytes(w.target, previous);
    if (w.existing == ReadOnlyTarget)
        MakeReadOnly(w.target);  // which Wine run as root ignores: run as a user
    const fs::path elsewhere = folder.Path() / "elsewhere";
    fs::create_directory(elsewhere);
    auto expected = folder.Entries();  // with the carrier and the target, and nothing left beside them
    expected.insert(expected.end(), {w.carrier, w.result == ExtractResult::Extracted ? w.target : w.carrier});
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());

    const bool packaged = w.start != FromElsewhere;
    ASSERT_TRUE(Open(w.carrier, w.label, w.target, w.start == DamagedPayload, packaged ? fs::path() : elsewhere));
    EXPECT_EQ(driver->Caption(),
              packaged ? kTemplateCaption + " - " + w.label + " < " + w.target + " > " : kTemplateCaption);
    const char* message = package::ExtractResultMessage(w.result);
    EXPECT_EQ(Outcome(w.act, fs::path(w.carrier).stem().string()), message ? message : "(none)");

    EXPECT_EQ(folder.Entries(), expected);
    EXPECT_TRUE(fs::is_empty(elsewhere));
    const Bytes left = w.result == ExtractResult::Extracted ? firmware : w.existing != NoTarget ? previous : Bytes();
    EXPECT_EQ(ReadBytes(w.target), left);
}

INSTANTIATE_TEST_SUITE_P(Ways, WayTest, ::testing::ValuesIn(kWays),
                         [](const ::testing::TestParamInfo<Way>& info) { return std::string(info.param.name); });

// ---- The dialog, its icon and its About box: one run -----------------------------------

TEST_F(CarrierTest, OpensAsLaidOutShowsItsIconAndAboutBoxAndStillUpgrades)
{
    ASSERT_TRUE(Open("Upgrade.exe", "R5.0", "fw.bin"));
    const HWND dialog = driver->Dialog();
    // Its styles and controls are the template's, which the resource check reads.
    EXPECT_TRUE(CentredOn(dialog, GetDesktopWindow()));
    EXPECT_EQ(driver->FocusedControlId(), IDOK);
    EXPECT_TRUE(SaveWhenPainted(dialog, dialog, (kShots / "e2e-upgrade-dialog.bmp").string(), 3000));

    for (const bool byKeys : {true, false}) {  // through the menu's last entry, then as its command
        byKeys ? AboutByKeys(*driver) : driver->SystemCommand(IDM_ABOUT);
        const auto about = driver->WaitForMessageBox();  // found only when the dialog owns it
        ASSERT_TRUE(about) << "no About box";
        EXPECT_EQ(about->caption, kTemplateCaption + " Information");
        EXPECT_TRUE(CentredOn(about->window, dialog));
        wchar_t ok[16] = {};  // wide: the Korean text compares on every code page
        GetWindowTextW(GetDlgItem(about->window, IDOK), ok, 16);
        EXPECT_EQ(std::wstring(ok), L"\uD655\uC778");
        EXPECT_TRUE(SaveWhenPainted(about->window, GetDesktopWindow(), (kShots / "e2e-about-box.bmp").string(), 3000));
        byKeys ? Escape(*driver) : driver->Dismiss(*about);  // clicks its one button, OK
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about->window); }, 3000)) << "the About box stayed open";
    }

    driver->SystemCommand(SC_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 3000)) << "not minimised";
    const DWORD_PTR dragged = AskProbe(dialog, WM_QUERYDRAGICON);
    EXPECT_TRUE(dragged && dragged == AskProbe(dialog, WM_GETICON, ICON_BIG));
    driver->SystemCommand(SC_RESTORE);
    EXPECT_EQ(Outcome(Upgrade, "Upgrade"), package::ExtractResultMessage(ExtractResult::Extracted));
    EXPECT_EQ(ReadBytes("fw.bin"), firmware);
}

}  // namespace
