#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "app/resource.h"
#include "e2e/Envcheck.h"

namespace {

std::string TextOf(HWND window)
{
    // GetWindowText does not ask a window of another process; the message does.
    char text[1024] = {};
    SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

// In the open save dialog: the proposed name, then what happens while it is
// open, then the path confirmed (and a new file's create prompt answered).
template <typename Meanwhile>
void SaveAs(TEnvcheck& program, const std::string& path, Meanwhile meanwhile)
{
    HWND save = program.WaitForWindow("保存します。", WindowLimit);
    ASSERT_NE(nullptr, save) << "no save dialog within " << WindowLimit << " ms";
    // The file name box: a combo box (cmb13) in the Explorer style, an edit (edt1) in the old one.
    HWND name = GetDlgItem(save, 0x47c);
    if (name == nullptr) name = GetDlgItem(save, 0x480);
    ASSERT_NE(nullptr, name);
    EXPECT_TRUE(Await("the proposed name", [&] { return TextOf(name) == "ruk_syslog.txt"; }, WindowLimit,
                      [&] { return TextOf(name); }));
    meanwhile();
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(save, WM_COMMAND, IDOK, 0);
    // A new file may be confirmed first (the create prompt).
    ASSERT_TRUE(Await("the saved file", [&] {
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        HWND prompt = program.WaitForWindow("保存します。", 0);
        if (prompt != nullptr && prompt != save) PostMessageA(prompt, WM_COMMAND, IDYES, 0);
        return false;
    }, WindowLimit));
    // The save dialog is gone once the file is written and closed.
    ASSERT_TRUE(Await("the save dialog to close", [&] { return !IsWindow(save); }, WindowLimit));
}

GUITHREADINFO ThreadInfoOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info;
}

void ExpectClosesWithZero(TEnvcheck& program)
{
    DWORD code = 0xdeadbeef;
    ASSERT_TRUE(program.WaitForExit(WindowLimit, code)) << "the dialog did not close";
    EXPECT_EQ(0u, code);
}

}  // namespace

TEST(DialogEndToEndTest, ControlsAsDesigned)
{
    TEnvcheck program;
    ASSERT_TRUE(program.Started()) << TEnvcheck::ExecutablePath();
    HWND dialog = program.WaitForDialog();
    ASSERT_NE(nullptr, dialog) << "no window captioned " << DialogCaption;
    EXPECT_EQ("#32770", ClassOf(dialog));
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU), style & (WS_POPUP | WS_CAPTION | WS_SYSMENU))
        << std::hex << style;
    EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_STATICEDGE);

    struct TControl {
        int Id;
        const char* Class;
        const char* Text;
        DWORD Style;
    };
    const TControl controls[] = {
        {1001, "Button", "情報の保存", 0x58010001},
        {2, "Button", "終了", 0x50010000},
        {1003, "CustomEdit", "カスタムエディットコントロール", 0x50A00000},
        {1004, "Button", "開始", 0x50010000},
        {1005, "Static", nullptr, 0x50020000},
    };
    HWND previous = nullptr;
    for (const TControl& control : controls) {
        HWND window = GetDlgItem(dialog, control.Id);
        ASSERT_NE(nullptr, window) << "control " << control.Id;
        EXPECT_EQ(control.Class, ClassOf(window)) << "control " << control.Id;
        if (control.Text != nullptr) {
            EXPECT_EQ(control.Text, TextOf(window)) << "control " << control.Id;
        }
        // A push button may carry BS_DEFPUSHBUTTON when focused, and the dialog
        // manager draws a control's WS_BORDER as a client edge; compare the rest.
        DWORD actual = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
        if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) actual |= WS_BORDER;
        EXPECT_EQ(control.Style & ~0xFu, actual & ~0xFu) << "control " << control.Id << std::hex << " " << actual;
        if (previous != nullptr) {
            EXPECT_EQ(window, GetWindow(previous, GW_HWNDNEXT)) << "template order";
        }
        previous = window;
    }
    const std::string notice = TextOf(GetDlgItem(dialog, 1005));
    EXPECT_EQ(0u, notice.find("現在お使いのコンピューターのシステム情報を取得します。\n")) << notice;
    EXPECT_NE(std::string::npos, notice.find("株式会社ハルベック『Dunmarrow』運営チーム宛に"));
    EXPECT_FALSE(IsEnabled(dialog, IDC_SAVE));
    EXPECT_TRUE(IsEnabled(dialog, IDC_START));

    ASSERT_TRUE(Press(dialog, IDCANCEL));  // Exit before Start
    ExpectClosesWithZero(program);
}

TEST(DialogEndToEndTest, EscapeAndTheCloseBoxExitLikeTheExitButton)
{
    {
        TEnvcheck program;
        HWND dialog = program.WaitForDialog();
        ASSERT_NE(nullptr, dialog);
        PostMessageA(GetDlgItem(dialog, IDC_START), WM_KEYDOWN, VK_ESCAPE, 0);
        ExpectClosesWithZero(program);
    }
    {
        TEnvcheck program;
        HWND dialog = program.WaitForDialog();
        ASSERT_NE(nullptr, dialog);
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        ExpectClosesWithZero(program);
    }
}

// Two ways through a save: the Save button, then Exit; and Enter (after Start
// the view keeps the focus, and Save is the default button once enabled) with
// a close request while the save dialog is open, which waits until the whole
// report is written.
TEST(DialogEndToEndTest, RunThenSaveThroughTheSaveDialog)
{
    const std::string headless = HeadlessReport("headless.txt");
    ASSERT_FALSE(headless.empty());
    for (bool closeDuringSave : {false, true}) {
        SCOPED_TRACE(closeDuringSave ? "Enter, closed during the save" : "the Save button");
        const std::string savedPath = TempPath("saved.txt");
        DeleteFileA(savedPath.c_str());
        TEnvcheck program;
        HWND dialog = program.WaitForDialog();
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(Press(dialog, IDC_START));
        ASSERT_TRUE(Await("Save to be enabled", [&] { return IsEnabled(dialog, IDC_SAVE); }, RunLimit));
        EXPECT_FALSE(IsEnabled(dialog, IDC_START)) << "Start is disabled for good";
        HWND view = GetDlgItem(dialog, IDC_VIEW);
        // A thread whose window another suite's window has deactivated keeps no focus until it is active again.
        const GUITHREADINFO thread = ThreadInfoOf(dialog);
        if (thread.hwndActive == dialog) {
            EXPECT_EQ(view, thread.hwndFocus);
        }
        EXPECT_EQ(MAKELONG(IDC_SAVE, DC_HASDEFID), static_cast<LONG>(SendMessageA(dialog, DM_GETDEFID, 0, 0)));

        if (closeDuringSave) {
            PostMessageA(view, WM_KEYDOWN, VK_RETURN, 0);
        } else {
            ASSERT_TRUE(Press(dialog, IDC_SAVE));
        }
        ASSERT_NO_FATAL_FAILURE(SaveAs(program, savedPath, [&] {
            // As "end task" or a launcher asks: the dialog's exit, sent so that it has been handled.
            if (closeDuringSave) SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }));
        if (!closeDuringSave) {
            ASSERT_TRUE(Press(dialog, IDCANCEL));
        }
        ExpectClosesWithZero(program);
        EXPECT_EQ(WithoutMovingFigures(headless), WithoutMovingFigures(ReadFile(savedPath)));
        EXPECT_EQ(std::string::npos, ReadFile(savedPath).find('\r'));
        DeleteFileA(savedPath.c_str());
    }
}

// Exit pressed at a moment of a run: the dialog goes and the process ends with 0.
void ExitAt(DWORD delay, bool start)
{
    TEnvcheck program;
    HWND dialog = program.WaitForDialog();
    ASSERT_NE(nullptr, dialog);
    if (start) {
        ASSERT_TRUE(Press(dialog, IDC_START));
    }
    Sleep(delay);
    ASSERT_TRUE(Press(dialog, IDCANCEL));
    ASSERT_TRUE(Await("the dialog to go", [&] { return !IsWindow(dialog); }, RunLimit));
    DWORD code = 0xdeadbeef;
    ASSERT_TRUE(program.WaitForExit(WindowLimit, code)) << "after its dialog went";
    EXPECT_EQ(0u, code);
}

// Which collector may still finish and that a stopped run enables no Save is
// seen inside the process (dialog_test); here the real program ends cleanly
// whatever it was doing when Exit came.
TEST(DialogEndToEndTest, ExitAtAnyMomentOfARunEndsTheProgram)
{
    const DWORD started = GetTickCount();
    ASSERT_FALSE(HeadlessReport("timing.txt").empty());
    const DWORD wholeRun = GetTickCount() - started;
    ExitAt(0, false);
    const int trials = 50;
    for (int trial = 0; trial < trials; ++trial) {
        // Spread over the whole run, and a little past its end.
        ExitAt(static_cast<DWORD>(trial) * (wholeRun + 200) / trials, true);
        ASSERT_FALSE(HasFatalFailure()) << "trial " << trial << " of a " << wholeRun << " ms run";
    }
}

TEST(HeadlessEndToEndTest, WritesTheReportAndExitsWithZero)
{
    const std::string path = TempPath("report.txt");
    TEnvcheck program("/report " + path);
    DWORD code = 0xdeadbeef;
    ASSERT_TRUE(program.WaitForExit(RunLimit, code));
    EXPECT_EQ(0u, code) << program.ErrorOutput();
    const std::string report = ReadFile(path);
    EXPECT_NE(std::string::npos, report.find("Drive information: \nDrive : C:\\\n")) << report;
    EXPECT_EQ(std::string::npos, report.find('\r'));
    EXPECT_EQ(std::string::npos, report.find("取得中")) << "titles are not part of the report";
    DeleteFileA(path.c_str());
}

TEST(HeadlessEndToEndTest, UnwritableFileExitsWithTwo)
{
    const std::string path = TempPath("no-such-folder\\report.txt");
    TEnvcheck program("/report \"" + path + "\"");
    DWORD code = 0xdeadbeef;
    ASSERT_TRUE(program.WaitForExit(RunLimit, code));
    EXPECT_EQ(2u, code);
    EXPECT_NE(std::string::npos, program.ErrorOutput().find("cannot write the report")) << program.ErrorOutput();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
}

// A report option always means no window: refused forms end at once with
// the usage line, targets that are not regular files with the write line.
TEST(HeadlessEndToEndTest, RefusedCommandLinesExitWithTwo)
{
    const std::string usage = "envcheck: usage: envcheck.exe /report FILE\n";
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const struct {
        std::string Arguments;
        std::string Error;
    } refused[] = {
        {"/report", usage},
        {"/report \"\"", usage},
        {"-REPORT", usage},
        {"/report: ", usage},
        {"/report a b", usage},
        {"/report NUL", "envcheck: cannot write the report to NUL\n"},
        {"/report COM1", "envcheck: cannot write the report to COM1\n"},
        {"/report \"" + std::string(folder) + "nul.txt\"",
         "envcheck: cannot write the report to " + std::string(folder) + "nul.txt\n"},
        {"/report aux.txt", "envcheck: cannot write the report to aux.txt\n"},
    };
    for (const auto& line : refused) {
        TEnvcheck program(line.Arguments);
        DWORD code = 0xdeadbeef;
        ASSERT_TRUE(program.WaitForExit(WindowLimit, code)) << line.Arguments;
        EXPECT_EQ(2u, code) << line.Arguments;
        EXPECT_EQ(line.Error, program.ErrorOutput()) << line.Arguments;
    }
}

TEST(HeadlessEndToEndTest, PathOutsideTheCodePageIsWrittenWhereItPoints)
{
    // "ë" is not in code page 932: read as ANSI the path would name "Zoe".
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    const std::wstring base = std::wstring(directory, directory + strlen(directory)) + L"envcheck_e2e_" +
                              std::to_wstring(GetCurrentProcessId());
    const std::wstring accented = base + L"_Zo\u00EB", plain = base + L"_Zoe";
    CreateDirectoryW(accented.c_str(), nullptr);
    CreateDirectoryW(plain.c_str(), nullptr);
    TEnvcheck program(L"-Report:\"" + accented + L"\\r.txt\"");
    DWORD code = 0xdeadbeef;
    ASSERT_TRUE(program.WaitForExit(RunLimit, code));
    EXPECT_EQ(0u, code) << program.ErrorOutput();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((accented + L"\\r.txt").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((plain + L"\\r.txt").c_str()));
    DeleteFileW((accented + L"\\r.txt").c_str());
    DeleteFileW((plain + L"\\r.txt").c_str());
    RemoveDirectoryW(accented.c_str());
    RemoveDirectoryW(plain.c_str());
}
