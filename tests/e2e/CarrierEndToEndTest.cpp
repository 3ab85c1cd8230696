// The real carrier under Wine, driven as a user would; a run costs seconds, so each checks all it can.
// Helpers report through their result: GoogleTest's own reporting starts a thread, fatal to emulated Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

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
const HMODULE kStub = LoadLibraryExW((kHere / "OrvaneFirmUp.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
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

// A name in the system's ANSI code page, as the carrier names files.
fs::path AnsiPath(const char* ansi)
{
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, MAX_PATH);
    return wide;
}

// The font size in points that a dialog template of the stub asks for, read from the built file.
int TemplatePoints(int id)
{
    const HRSRC found = FindResourceA(kStub, MAKEINTRESOURCEA(id), RT_DIALOG);
    auto at = static_cast<const WORD*>(LockResource(LoadResource(kStub, found)));
    at += at[1] == 0xFFFF ? 13 : 9;  // past the fixed header of an extended or a classic template
    for (int field = 0; field < 3; ++field)  // menu, class, caption: 0xFFFF and a number, or a string
        at += *at == 0xFFFF ? 2 : lstrlenW(reinterpret_cast<const wchar_t*>(at)) + 1;
    return *at;
}

// The window's font is its template's size in points at the display's DPI, so the window grows
// with the DPI; every control lies inside it, clear of the others (the About box's picture
// too), and every text is drawn whole, with a glyph for each character.
void ExpectLaidOutWholeAtTheDisplaysDpi(HWND window, int templateId)
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const char* asked = std::getenv("ORVANE_DPI");
    EXPECT_TRUE(!asked || dpi == std::atoi(asked)) << "the prefix's DPI did not take: " << dpi;
    const DWORD_PTR layout = AskProbe(window, kProbeLayout);
    EXPECT_EQ(HIWORD(layout), MulDiv(TemplatePoints(templateId), dpi, 72)) << "the font's height";
    EXPECT_EQ(LOWORD(layout), 1) << "controls cut off, overlapping, or with texts drawn cut or without glyphs";
}

// The About box's picture grows with the display's scale, as its text does: its size in pixels
// is the bitmap's own, read from the stub, times the scale, within a pixel per 16.
void ExpectPictureAtTheDisplaysScale(HWND about)
{
    HWND picture = GetWindow(about, GW_CHILD);
    while (picture != nullptr && (GetWindowLongA(picture, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP)
        picture = GetWindow(picture, GW_HWNDNEXT);
    const auto logo = static_cast<HBITMAP>(LoadImageA(kStub, MAKEINTRESOURCEA(IDB_ABOUT_LOGO), IMAGE_BITMAP, 0, 0, 0));
    BITMAP own = {};
    GetObjectA(logo, sizeof(own), &own);
    DeleteObject(logo);
    RECT shown = {};
    GetWindowRect(picture, &shown);
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int width = MulDiv(own.bmWidth, dpi, 96), height = MulDiv(own.bmHeight, dpi, 96);
    EXPECT_NEAR(shown.right - shown.left, width, width / 16) << "the picture's width at " << dpi << " DPI";
    EXPECT_NEAR(shown.bottom - shown.top, height, height / 16) << "the picture's height at " << dpi << " DPI";
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
    bool Open(const fs::path& name, const std::string& label, const std::string& target, bool damaged = false,
              const fs::path& workingDirectory = "")
    {
        CarrierImage image(label, target, firmware);
        image.stub = ReadBytes(kHere / "OrvaneFirmUp.exe");
        image.payload[123] ^= damaged ? 0x10 : 0;  // the checksum then no longer matches
        WriteBytes(name, image.Assemble());
        const auto cwd = workingDirectory.empty() ? folder.Path() : workingDirectory;
        driver = std::make_unique<DialogDriver>((folder.Path() / name).wstring(), cwd.wstring());
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
        EXPECT_EQ(driver->WaitForExit(), std::optional<DWORD>(0)) << "still running, or not ended by itself";
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

enum Start { InItsFolder, DamagedPayload, FromElsewhere };
enum Target { NoTarget, LongerTarget, ReadOnlyTarget };  // longer than the firmware: truncation shows

struct Way {
    const char* name;
    const wchar_t* carrier;  // the message box's caption: this less its last extension
    const char *label, *target;  // stored bytes: in the code page of the row
    Start start;
    Target existing;
    void (*act)(const DialogDriver&);
    ExtractResult result;  // NoPackage: the carrier ends without a message
    UINT codePage = 0;     // the system code page the row needs; 0: any
};

using R = ExtractResult;
const Way kWays[] = {
    {"EnterAtOnceWrites", L"Upgrade.exe", "R1.0", "fw.bin", InItsFolder, NoTarget, Enter, R::Extracted},
    {"ButtonReplacesLongerTarget", L"fw.v2.exe", "R2.0", "fw.bin", InItsFolder, LongerTarget, Upgrade, R::Extracted},
    {"BadChecksumKeepsTarget", L"Up.exe", "R2.1", "fw.bin", DamagedPayload, LongerTarget, Upgrade, R::ChecksumMismatch},
    {"ReadOnlyTargetIsKept", L"Up.exe", "R2.2", "fw.bin", InItsFolder, ReadOnlyTarget, Upgrade, R::TargetNotWritable},
    {"ElsewhereDoesNothing", L"Up.exe", "R3.0", "fw.bin", FromElsewhere, NoTarget, Upgrade, R::NoPackage},
    {"ExitLeaves", L"Up.exe", "ABCDEFGHIJKLMNOP", "sixteen-bytes.xy", InItsFolder, NoTarget, Exit, R::NoPackage},
    {"EscapeLeaves", L"Up.exe", "", "fw.bin", InItsFolder, NoTarget, Escape, R::NoPackage},
    {"CloseBoxLeaves", L"Up.exe", "R4.0", "fw.bin", InItsFolder, NoTarget, CloseBox, R::NoPackage},
    {"EnterOnExitLeaves", L"Up.exe", "R4.1", "fw.bin", InItsFolder, NoTarget, EnterOnExit, R::NoPackage},
    // Names whose second byte in the code page is 0x5C, the separator's: ソ, and 許 and 功.
    {"JapaneseName", L"\u30BD\u30D5\u30C8.exe", "R5.1", "fw.bin", InItsFolder, NoTarget, Upgrade, R::Extracted, 932},
    {"ChineseName", L"\u8A31\u529F.exe", "R5.2", "fw.bin", InItsFolder, NoTarget, Upgrade, R::Extracted, 950},
    // 펌웨어, the label, and 펌웨어.bin, the target, in code page 949; the carrier 업데이트.exe.
    {"KoreanLabelAndTarget", L"\uC5C5\uB370\uC774\uD2B8.exe", "\xC6\xDF\xBF\xFE\xBE\xEE",
     "\xC6\xDF\xBF\xFE\xBE\xEE.bin", InItsFolder, NoTarget, Upgrade, R::Extracted, 949},
};

class WayTest : public CarrierTest, public ::testing::WithParamInterface<Way> {};

// How many ways ran here, printed at the end: a row for another code page returns early.
int waysRun = 0;
class WaysRunReport : public ::testing::Environment {
    void TearDown() override
    {
        std::printf("e2e: %d of %zu ways ran under code page %u\n", waysRun, std::size(kWays), GetACP());
    }
};
const auto* const kWaysRunReport = ::testing::AddGlobalTestEnvironment(new WaysRunReport);

// Each configuration runs under the code page it is for, or its rows for that code page prove nothing.
TEST(Configuration, RunsUnderItsCodePage)
{
    const char* expected = std::getenv("ORVANE_ACP");
    EXPECT_TRUE(!expected || GetACP() == static_cast<UINT>(std::atoi(expected))) << "the system code page is " << GetACP();
}

TEST_P(WayTest, ShowsTheCaptionAndMessageAndLeavesTheFilesAsExpected)
{
    const Way& w = GetParam();
    if (w.codePage != 0 && GetACP() != w.codePage) {  // not skipped through GoogleTest: no thread under qemu
        std::printf("%s: for code page %u only\n", w.name, w.codePage);
        return;
    }
    ++waysRun;
    const Bytes previous = PatternBytes(firmware.size() + 5000, 99);
    const fs::path target = AnsiPath(w.target), carrier = w.carrier;
    if (w.existing != NoTarget)
        WriteBytes(target, previous);
    if (w.existing == ReadOnlyTarget)
        MakeReadOnly(target);  // which Wine run as root ignores: run as a user
    const fs::path elsewhere = folder.Path() / "elsewhere";
    fs::create_directory(elsewhere);
    auto expected = folder.Entries();  // with the carrier and the target, and nothing left beside them
    expected.insert(expected.end(), {carrier.u8string(), (w.result == R::Extracted ? target : carrier).u8string()});
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());

    const bool packaged = w.start != FromElsewhere;
    ASSERT_TRUE(Open(carrier, w.label, w.target, w.start == DamagedPayload, packaged ? fs::path() : elsewhere));
    EXPECT_EQ(driver->Caption(), packaged ? kTemplateCaption + " - " + AnsiPath(w.label).u8string() + " < " + target.u8string() + " > "
                                          : kTemplateCaption);
    const char* message = package::ExtractResultMessage(w.result);
    EXPECT_EQ(Outcome(w.act, carrier.stem().u8string()), message ? message : "(none)");

    EXPECT_EQ(folder.Entries(), expected);
    EXPECT_TRUE(fs::is_empty(elsewhere));
    const Bytes left = w.result == R::Extracted ? firmware : w.existing != NoTarget ? previous : Bytes();
    EXPECT_EQ(ReadBytes(target), left);
}

INSTANTIATE_TEST_SUITE_P(Ways, WayTest, ::testing::ValuesIn(kWays),
                         [](const ::testing::TestParamInfo<Way>& info) { return std::string(info.param.name); });

// The dialog, its icon and its About box, in one run.
TEST_F(CarrierTest, OpensAsLaidOutShowsItsIconAndAboutBoxAndStillUpgrades)
{
    ASSERT_TRUE(Open("Upgrade.exe", "R5.0", "fw.bin"));
    const HWND dialog = driver->Dialog();
    // Its styles and controls are the template's, which the resource check reads.
    EXPECT_TRUE(CentredOn(dialog, GetDesktopWindow()));
    EXPECT_EQ(driver->FocusedControlId(), IDOK);
    ExpectLaidOutWholeAtTheDisplaysDpi(dialog, IDD_UPGRADE_DIALOG);
    // The system menu's last entries, read back wide: a separator, then the About entry, which
    // on Korean and Western Windows its font draws whole (elsewhere Wine's fonts lack Hangul).
    const auto entry = static_cast<ATOM>(AskProbe(dialog, kProbeMenuEntry));
    wchar_t entryText[64] = {};
    GlobalGetAtomNameW(entry, entryText, 64);
    GlobalDeleteAtom(entry);
    EXPECT_TRUE((GetACP() != 949 && GetACP() != 1252) || std::wstring(entryText) == L"OrvaneFirmUp \uC815\uBCF4(&A)...");
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
        ExpectLaidOutWholeAtTheDisplaysDpi(about->window, IDD_ABOUT_BOX);
        ExpectPictureAtTheDisplaysScale(about->window);
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
}

}  // namespace
