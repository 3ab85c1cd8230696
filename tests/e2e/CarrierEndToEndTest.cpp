// The real carrier under Windows (Wine): built from the stub, started in a scratch
// folder and driven through its dialog as a user would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <numeric>

#include "CarrierImage.h"
#include "DialogDriver.h"
#include "ExtractResult.h"
#include "FieldEncoding.h"
#include "PackageWriter.h"
#include "RemoteProbe.h"
#include "Screenshot.h"

using namespace e2e;
using namespace testing_support;
using package::ExtractResult;
namespace fs = std::filesystem;

namespace {

const std::string kTemplateCaption = "Orvane Firmware Upgrade";
constexpr SIZE kTemplateSize = {237, 69};
const char kPayloadFile[] = "payload.src";

fs::path ExecutableFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

fs::path StubPath()
{
    return ExecutableFolder() / "OrvaneFirmUp.exe";
}

std::string ProbeDllPath()
{
    return (ExecutableFolder() / "e2e_probe.dll").string();
}

// Resolved before any test moves the working directory into a scratch folder.
const fs::path kArtifactFolder = [] {
    const char* configured = std::getenv("ORVANE_ARTIFACTS");
    return configured && *configured ? fs::absolute(configured) : ExecutableFolder();
}();

std::string Caption(const std::string& label, const std::string& target)
{
    return kTemplateCaption + " - " + label + " < " + target + " > ";
}

std::uint32_t Sum(const Bytes& bytes)
{
    return std::accumulate(bytes.begin(), bytes.end(), std::uint32_t(0));
}

// True when the environment lets a read-only file be opened for writing anyway (Wine
// run as root), where the read-only case cannot be shown.
bool ReadOnlyIgnored(const fs::path& path)
{
    return std::ofstream(path, std::ios::binary | std::ios::app).is_open();
}

// GoogleTest starts a thread on its first use of a thread's own state (ASSERT_NO_FATAL_FAILURE,
// SCOPED_TRACE, a failure), and a thread started while this process is busy can crash it
// where Wine's 32-bit side runs emulated. So the steps below report through their result,
// and a passing run never starts that thread.
class CarrierTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(StubPath())) << StubPath();
        WriteBytes(kPayloadFile, firmware);
    }

    // Builds `carrierName` in the scratch folder from the stub and the firmware.
    ::testing::AssertionResult BuildCarrier(const std::string& carrierName, const std::string& label,
                                            const std::string& target)
    {
        std::string error;
        if (!package::WritePackage({StubPath().string(), kPayloadFile, carrierName, label, target}, error))
            return ::testing::AssertionFailure() << error;
        return ::testing::AssertionSuccess();
    }

    // Same, with the checksum field one more than the payload's sum.
    void BuildCarrierWithWrongChecksum(const std::string& carrierName, const std::string& label,
                                       const std::string& target)
    {
        CarrierImage image(label, target, firmware);
        image.stub = ReadBytes(StubPath());
        const auto checksum = package::EncodeDecimalField(Sum(firmware) + 1);
        image.checksum.assign(checksum.begin(), checksum.end());
        WriteBytes(carrierName, image.Assemble());
    }

    // Starts the carrier with `workingDirectory` and waits for its dialog.
    ::testing::AssertionResult Open(const std::string& carrierName, const fs::path& workingDirectory)
    {
        const fs::path exe = folder.Path() / carrierName;
        driver = std::make_unique<DialogDriver>(exe.string(), workingDirectory.string(), kTemplateSize);
        if (!driver->Started() || !driver->WaitForDialog())
            return ::testing::AssertionFailure() << "no dialog from " << exe << " (error " << GetLastError() << ")";
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult OpenInOwnFolder(const std::string& carrierName)
    {
        return Open(carrierName, folder.Path());
    }

    void ExpectExited() const
    {
        const auto code = driver->WaitForExit();
        ASSERT_TRUE(code) << "the program is still running";
        EXPECT_LT(*code, 0xC0000000u) << "the program ended by an exception: " << std::hex << *code;
    }

    void ExpectEndsWithoutMessage() const
    {
        const auto box = driver->WaitForMessageBox();
        EXPECT_FALSE(box) << "unexpected message: " << box->text;
        if (box)
            driver->Dismiss(*box);
        ExpectExited();
    }

    ScratchFolder folder;
    const Bytes firmware = PatternBytes(70000, 11);
    std::unique_ptr<DialogDriver> driver;
};

// ---- The dialog as it opens ----------------------------------------------------------

TEST_F(CarrierTest, OpensTheTemplateDialogCentredWithFocusOnTheUpgradeButton)
{
    ASSERT_TRUE(BuildCarrier("Upgrade.exe", "R1.0", "fw.bin"));
    ASSERT_TRUE(OpenInOwnFolder("Upgrade.exe"));

    const struct {
        int id;
        const char* text;
        LONG style;
        DialogRect rect;
    } expected[] = {
        {IDOK, "Orvane Firmware Upgrade", 0x50010001, {34, 14, 162, 14}},
        {IDCANCEL, "Exit", 0x50010000, {34, 38, 162, 14}},
    };
    const auto controls = driver->Controls();
    ASSERT_EQ(controls.size(), std::size(expected));
    for (const auto& e : expected) {
        const auto control = driver->FindControl(e.id);
        ASSERT_TRUE(control) << e.text;
        EXPECT_EQ(control->className, "Button") << e.text;
        EXPECT_EQ(control->text, e.text);
        EXPECT_EQ(control->style, e.style) << e.text << ": " << std::hex << control->style;
        EXPECT_NEAR(control->rect.x, e.rect.x, 1) << e.text;
        EXPECT_NEAR(control->rect.y, e.rect.y, 1) << e.text;
        EXPECT_NEAR(control->rect.width, e.rect.width, 1) << e.text;
        EXPECT_NEAR(control->rect.height, e.rect.height, 1) << e.text;
    }

    const HWND dialog = driver->Dialog();
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    const LONG required = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(style & required, required) << std::hex << style;
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0) << std::hex << style;
    EXPECT_NE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);

    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2);
    EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 2);
    EXPECT_EQ(driver->FocusedControlId(), IDOK);

    driver->Press(IDCANCEL);
    ExpectEndsWithoutMessage();
}

TEST_F(CarrierTest, SavesAScreenshotOfTheOpenDialog)
{
    ASSERT_TRUE(BuildCarrier("Upgrade.exe", "R1.0", "fw.bin"));
    ASSERT_TRUE(OpenInOwnFolder("Upgrade.exe"));

    const fs::path shot = kArtifactFolder / "e2e-upgrade-dialog.bmp";
    // The window may show before it is drawn; a drawn one is not a single flat colour.
    const auto drawn = [&] {
        const Bytes bmp = ReadBytes(shot);
        return bmp.size() > 54 && bmp[0] == 'B' && bmp[1] == 'M' &&
               !std::all_of(bmp.begin() + 54, bmp.end(), [&](std::uint8_t b) { return b == bmp[54]; });
    };
    EXPECT_TRUE(WaitUntil([&] { return SaveWindowScreenshot(driver->Dialog(), shot.string()) && drawn(); }, 3000))
        << shot;
    std::cout << "[ SHOT     ] " << shot.string() << std::endl;

    driver->Press(IDCANCEL);
    ExpectEndsWithoutMessage();
}

struct Identity {
    const char* label;
    const char* target;
};

class CaptionTest : public CarrierTest, public ::testing::WithParamInterface<Identity> {};

TEST_P(CaptionTest, NamesLabelAndTargetWhenStartedInItsOwnFolder)
{
    const Identity id = GetParam();
    ASSERT_TRUE(BuildCarrier("Upgrade.exe", id.label, id.target));
    ASSERT_TRUE(OpenInOwnFolder("Upgrade.exe"));

    EXPECT_EQ(driver->Caption(), Caption(id.label, id.target));

    driver->Press(IDCANCEL);
    ExpectEndsWithoutMessage();
}

INSTANTIATE_TEST_SUITE_P(Identities, CaptionTest,
                         ::testing::Values(Identity{"R1.0", "fw.bin"},
                                           Identity{"ABCDEFGHIJKLMNOP", "sixteen-bytes.xy"},
                                           Identity{"", "fw.bin"}));

TEST_F(CarrierTest, FromAnotherFolderKeepsTheTemplateCaptionAndEndsSilently)
{
    ASSERT_TRUE(BuildCarrier("Upgrade.exe", "R1.0", "fw.bin"));
    const fs::path elsewhere = folder.Path() / "elsewhere";
    fs::create_directory(elsewhere);
    const auto before = folder.Entries();
    ASSERT_TRUE(Open("Upgrade.exe", elsewhere));

    EXPECT_EQ(driver->Caption(), kTemplateCaption);

    driver->Press(IDOK);
    ExpectEndsWithoutMessage();
    EXPECT_EQ(folder.Entries(), before);
    EXPECT_TRUE(fs::is_empty(elsewhere));
}

// ---- The upgrade ---------------------------------------------------------------------

enum class Existing { None, Writable, ReadOnly };

struct UpgradeCase {
    const char* name;
    const char* carrierName;
    const char* applicationName;  // the message box's caption
    bool wrongChecksum;
    Existing existing;
    bool pressEnter;  // instead of clicking the button
    ExtractResult result;
};

std::vector<std::string> okBoxButtons;  // what ReadAndCloseBox saw

LRESULT CALLBACK ReadAndCloseBox(int code, WPARAM wParam, LPARAM lParam)
{
    // Wine also reports the activation of no window once the box has gone.
    if (code == HCBT_ACTIVATE && wParam != 0) {
        okBoxButtons = ReadMessageBox(reinterpret_cast<HWND>(wParam)).buttons;
        PostMessageA(reinterpret_cast<HWND>(wParam), WM_CLOSE, 0, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The buttons of a message box with only an OK button, labelled in the system's language
// ("OK", or Korean on a Korean system): read from such a box this process shows and closes.
std::vector<std::string> OkBoxButtons()
{
    const HHOOK hook = SetWindowsHookExA(WH_CBT, ReadAndCloseBox, nullptr, GetCurrentThreadId());
    MessageBoxA(nullptr, "", "", MB_OK);
    UnhookWindowsHookEx(hook);
    return okBoxButtons;
}

class UpgradeTest : public CarrierTest, public ::testing::WithParamInterface<UpgradeCase> {};

TEST_P(UpgradeTest, ReportsTheResultAndLeavesTheTargetAsExpected)
{
    const UpgradeCase& c = GetParam();
    const std::string target = "fw_main.bin";
    if (c.wrongChecksum)
        BuildCarrierWithWrongChecksum(c.carrierName, "R2.1", target);
    else
        ASSERT_TRUE(BuildCarrier(c.carrierName, "R2.1", target));

    const Bytes previous = PatternBytes(firmware.size() + 5000, 99);  // longer: truncation shows
    if (c.existing != Existing::None)
        WriteBytes(target, previous);
    if (c.existing == Existing::ReadOnly) {
        MakeReadOnly(target);
        if (ReadOnlyIgnored(target))
            GTEST_SKIP() << "read-only files are writable here (Wine run as root)";
    }

    ASSERT_TRUE(OpenInOwnFolder(c.carrierName));
    if (c.pressEnter)
        driver->PressKey(VK_RETURN);
    else
        driver->Press(IDOK);

    const auto box = driver->WaitForMessageBox();
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(box->caption, c.applicationName);
    EXPECT_EQ(box->text, package::ExtractResultMessage(c.result));
    const auto okOnly = OkBoxButtons();
    ASSERT_EQ(okOnly.size(), 1u);
    EXPECT_EQ(box->buttons, okOnly);
    driver->Dismiss(*box);
    ExpectExited();

    if (c.result == ExtractResult::Extracted)
        EXPECT_EQ(ReadBytes(target), firmware);
    else if (c.existing != Existing::None)
        EXPECT_EQ(ReadBytes(target), previous);
    else
        EXPECT_FALSE(fs::exists(target));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpgradeTest,
    ::testing::Values(
        UpgradeCase{"ButtonWritesTheFirmware", "Upgrade.exe", "Upgrade", false, Existing::None, false,
                    ExtractResult::Extracted},
        UpgradeCase{"EnterRightAfterOpeningWritesTheFirmware", "Upgrade.exe", "Upgrade", false, Existing::None,
                    true, ExtractResult::Extracted},
        UpgradeCase{"LongerExistingTargetIsReplacedExactly", "Upgrade.exe", "Upgrade", false, Existing::Writable,
                    false, ExtractResult::Extracted},
        UpgradeCase{"ApplicationNameKeepsAllButTheLastDot", "fw.v2.exe", "fw.v2", false, Existing::None, false,
                    ExtractResult::Extracted},
        UpgradeCase{"WrongChecksumWritesNothing", "Upgrade.exe", "Upgrade", true, Existing::None, false,
                    ExtractResult::ChecksumMismatch},
        UpgradeCase{"WrongChecksumKeepsTheExistingTarget", "Upgrade.exe", "Upgrade", true, Existing::Writable,
                    false, ExtractResult::ChecksumMismatch},
        UpgradeCase{"ReadOnlyTargetIsKept", "Upgrade.exe", "Upgrade", false, Existing::ReadOnly, false,
                    ExtractResult::TargetNotWritable}),
    [](const ::testing::TestParamInfo<UpgradeCase>& info) { return std::string(info.param.name); });

// ---- Leaving without an upgrade ------------------------------------------------------

struct LeaveCase {
    const char* name;
    void (*leave)(const DialogDriver&);
};

class LeaveTest : public CarrierTest, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(LeaveTest, EndsWithoutMessageOrFile)
{
    ASSERT_TRUE(BuildCarrier("Upgrade.exe", "R3.0", "fw_leave.bin"));
    const auto before = folder.Entries();
    ASSERT_TRUE(OpenInOwnFolder("Upgrade.exe"));

    GetParam().leave(*driver);

    ExpectEndsWithoutMessage();
    EXPECT_EQ(folder.Entries(), before);
}

void TabToExitThenEnter(const DialogDriver& d)
{
    d.PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return d.FocusedControlId() == IDCANCEL; }, 3000)) << "Tab did not reach Exit";
    d.PressKey(VK_RETURN);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LeaveTest,
    ::testing::Values(LeaveCase{"ExitButton", [](const DialogDriver& d) { d.Press(IDCANCEL); }},
                      LeaveCase{"Escape", [](const DialogDriver& d) { d.PressKey(VK_ESCAPE); }},
                      LeaveCase{"CloseBox", [](const DialogDriver& d) { d.SystemCommand(SC_CLOSE); }},
                      LeaveCase{"EnterWithFocusOnExit", TabToExitThenEnter}),
    [](const ::testing::TestParamInfo<LeaveCase>& info) { return std::string(info.param.name); });

// ---- Minimised -----------------------------------------------------------------------

struct MinimiseCase {
    const char* name;
    void (*minimise)(const DialogDriver&);
};

class MinimiseTest : public CarrierTest, public ::testing::WithParamInterface<MinimiseCase> {};

TEST_P(MinimiseTest, ShowsAndDragsTheWindowIcon)
{
    ASSERT_TRUE(BuildCarrier("Upgrade.exe", "R4.0", "fw.bin"));
    ASSERT_TRUE(OpenInOwnFolder("Upgrade.exe"));
    const HWND dialog = driver->Dialog();

    GetParam().minimise(*driver);

    ASSERT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 3000)) << "not minimised";
    const RemoteProbe probe(dialog, ProbeDllPath());
    ASSERT_TRUE(probe.Loaded());
    const auto dragIcon = probe.Ask(ProbeQuestion::DragIcon);
    ASSERT_TRUE(dragIcon);
    EXPECT_NE(*dragIcon, 0);
    EXPECT_EQ(dragIcon, probe.Ask(ProbeQuestion::BigIcon));

    driver->SystemCommand(SC_CLOSE);
    ExpectEndsWithoutMessage();
}

INSTANTIATE_TEST_SUITE_P(
    Ways, MinimiseTest,
    ::testing::Values(MinimiseCase{"SystemCommand", [](const DialogDriver& d) { d.SystemCommand(SC_MINIMIZE); }},
                      MinimiseCase{"ShowWindow",
                                   [](const DialogDriver& d) { ShowWindowAsync(d.Dialog(), SW_MINIMIZE); }}),
    [](const ::testing::TestParamInfo<MinimiseCase>& info) { return std::string(info.param.name); });

// ---- About box ------------------------------------------------------------------------

const char kAboutCaption[] = "Orvane Firmware Upgrade Information";
constexpr WPARAM kAboutCommand = 0x0010;

std::wstring WideText(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

POINT Centre(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class AboutBoxTest : public CarrierTest {
protected:
    // Chooses the About entry and waits for the box, an owned dialog of the program.
    HWND OpenAbout()
    {
        driver->SystemCommand(kAboutCommand);
        const auto box = driver->WaitForMessageBox();
        if (!box)
            return nullptr;
        EXPECT_EQ(box->caption, kAboutCaption);
        return box->window;
    }

    void ExpectClosed(HWND about)
    {
        EXPECT_TRUE(WaitUntil([&] { return IsWindow(about) == FALSE; }, 3000)) << "the About box stayed open";
        EXPECT_TRUE(IsWindow(driver->Dialog())) << "the upgrade dialog ended with the About box";
    }
};

TEST_F(AboutBoxTest, SystemMenuEndsWithSeparatorAndAboutEntry)
{
    ASSERT_TRUE(BuildCarrier("Upgrade.exe", "R5.0", "fw.bin"));
    ASSERT_TRUE(OpenInOwnFolder("Upgrade.exe"));
    const RemoteProbe probe(driver->Dialog(), ProbeDllPath());
    ASSERT_TRUE(probe.Loaded());
    EXPECT_EQ(probe.Ask(ProbeQuestion::AboutMenu), LRESULT(AboutMenuCheck::Passes));

    driver->Press(IDCANCEL);
    ExpectEndsWithoutMessage();
}

TEST_F(AboutBoxTest, OpensOverTheDialogClosesAndLeavesTheUpgradeWorking)
{
    ASSERT_TRUE(BuildCarrier("Upgrade.exe", "R5.0", "fw.bin"));
    ASSERT_TRUE(OpenInOwnFolder("Upgrade.exe"));
    const std::string caption = driver->Caption();

    HWND about = OpenAbout();
    ASSERT_TRUE(about) << "no About box";
    EXPECT_EQ(GetWindow(about, GW_OWNER), driver->Dialog());
    const POINT aboutCentre = Centre(about), dialogCentre = Centre(driver->Dialog());
    EXPECT_NEAR(aboutCentre.x, dialogCentre.x, 2);
    EXPECT_NEAR(aboutCentre.y, dialogCentre.y, 2);
    EXPECT_EQ(WideText(GetDlgItem(about, IDOK)), L"\uD655\uC778");

    const fs::path shot = kArtifactFolder / "e2e-about-box.bmp";
    EXPECT_TRUE(WaitUntil([&] { return SaveWindowScreenshot(GetDesktopWindow(), shot.string()); }, 3000));
    std::cout << "[ SHOT     ] " << shot.string() << std::endl;

    PostMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    ExpectClosed(about);

    about = OpenAbout();
    ASSERT_TRUE(about) << "the About box did not open a second time";
    driver->PressKey(VK_ESCAPE);
    ExpectClosed(about);

    EXPECT_EQ(driver->Caption(), caption);
    driver->Press(IDOK);
    const auto box = driver->WaitForMessageBox();
    ASSERT_TRUE(box) << "no message after the upgrade";
    EXPECT_EQ(box->text, package::ExtractResultMessage(ExtractResult::Extracted));
    driver->Dismiss(*box);
    ExpectExited();
    EXPECT_EQ(ReadBytes("fw.bin"), firmware);
}

// ---- firmpack extract and the carrier agree ---------------------------------------------

struct AgreementCase {
    const char* name;
    void (*damage)(CarrierImage&);
};

class AgreementTest : public CarrierTest, public ::testing::WithParamInterface<AgreementCase> {
protected:
    // What the carrier reports and leaves in `folder` when its first button is pressed.
    std::string RunCarrier(const fs::path& folder)
    {
        const auto opened = Open("Agree.exe", folder);
        EXPECT_TRUE(opened);
        if (!opened)
            return "";
        driver->Press(IDOK);
        const auto box = driver->WaitForMessageBox();
        if (box)
            driver->Dismiss(*box);
        ExpectExited();
        return box ? box->text : "";
    }

    // What firmpack extract prints (stdout and stderr) when it writes into `folder`. Started
    // without a shell: under emulation every program start costs about a second.
    static std::string RunFirmpackExtract(const fs::path& folder)
    {
        SECURITY_ATTRIBUTES inherited = {sizeof(inherited), nullptr, TRUE};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0))
            return "";
        UniqueHandle reader(readEnd), writer(writeEnd);
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = writeEnd;
        std::string command = "\"" + (ExecutableFolder() / "firmpack.exe").string() + "\" extract Agree.exe -C " +
                              folder.string();
        PROCESS_INFORMATION started = {};
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
            return "";
        UniqueHandle process(started.hProcess), thread(started.hThread);
        writer.Reset(nullptr);  // the program's end then ends the reading
        std::string output;
        char buffer[512];
        DWORD read = 0;
        while (ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0)
            output.append(buffer, read);
        return output;
    }
};

TEST_P(AgreementTest, ExtractWritesAndSaysWhatTheCarrierDoes)
{
    CarrierImage image("Agree", "fw.bin", firmware);
    image.stub = ReadBytes(StubPath());
    GetParam().damage(image);
    const Bytes carrier = image.Assemble();
    fs::create_directories("car");
    fs::create_directories("fp");
    WriteBytes("Agree.exe", carrier);
    WriteBytes("car/Agree.exe", carrier);

    const std::string carrierMessage = RunCarrier(folder.Path() / "car");
    const std::string firmpackOutput = RunFirmpackExtract("fp");

    EXPECT_FALSE(carrierMessage.empty()) << "the carrier showed no message";
    EXPECT_NE(firmpackOutput.find(carrierMessage), std::string::npos)
        << "carrier: " << carrierMessage << "\nfirmpack: " << firmpackOutput;
    EXPECT_EQ(fs::exists("car/fw.bin"), fs::exists("fp/fw.bin"));
    if (fs::exists("car/fw.bin")) {
        EXPECT_EQ(ReadBytes("car/fw.bin"), ReadBytes("fp/fw.bin"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Packages, AgreementTest,
    ::testing::Values(
        AgreementCase{"Valid", [](CarrierImage&) {}},
        AgreementCase{"PayloadChanged", [](CarrierImage& c) { c.payload[123] ^= 0x10; }},
        AgreementCase{"LengthPastEnd", [](CarrierImage& c) { c.length = ScrambledDecimalText("99999999"); }},
        AgreementCase{"NegativeHeader",
                      [](CarrierImage& c) { c.trailerFollowsLayout = false; c.trailer = ScrambledDecimalText("-5"); }},
        AgreementCase{"EmptyTarget", [](CarrierImage& c) { c.targetName.assign(16, package::SwapNibbles(' ')); }},
        AgreementCase{"EmptyPayload",
                      [](CarrierImage& c) {
                          c.payload.clear();
                          c.length = ScrambledDecimalText("0");
                          c.checksum = ScrambledDecimalText("0");
                      }}),
    [](const ::testing::TestParamInfo<AgreementCase>& info) { return std::string(info.param.name); });

}  // namespace
