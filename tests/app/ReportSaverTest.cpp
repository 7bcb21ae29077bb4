#include <gtest/gtest.h>

#include <windows.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/FakeShellApi.h"
#include "app/HeadlessReport.h"
#include "app/ReportSaver.h"
#include "app/TestCollector.h"
#include "info/WideText.h"
#include "support/TestSupport.h"

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WriteFileText(const std::string& path, const std::string& text)
{
    std::ofstream file(path.c_str(), std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

class ReportSaverTest : public ::testing::Test {
protected:
    ReportSaverTest()
    {
        Owned.emplace_back(new TTestCollector("t1\n", {"System:\n", "a", "b\n"}));
        Owned.emplace_back(new TTestCollector("t2\n", {}));
        Owned.emplace_back(new TTestCollector("t3\n", {"固定ディスク\n", "\n"}));
        for (auto& collector : Owned) {
            collector->Collect(OsVersionRecord());
            Collectors.push_back(collector.get());
        }
        Api.ChosenPath = WideText(Path, CP_ACP);
        DeleteFileA(Path.c_str());
    }
    ~ReportSaverTest() override { DeleteFileA(Path.c_str()); }

    std::string Path = TempPath("report.txt");
    TFakeShellApi Api;
    std::vector<std::unique_ptr<TTestCollector>> Owned;
    std::vector<TBaseInfo*> Collectors;
    HWND Owner = reinterpret_cast<HWND>(0x1234);
};

}  // namespace

TEST_F(ReportSaverTest, SaveDialogRecord)
{
    SaveReportAs(Owner, Collectors, Api);
    ASSERT_EQ(1, Api.SaveDialogs);
    const OPENFILENAMEW& record = Api.Record;
    // The 32-bit program's record; a 64-bit test build's pointers are wider.
    EXPECT_EQ(sizeof(void*) == 4 ? 76u : 136u, record.lStructSize);
    EXPECT_EQ(Owner, record.hwndOwner);
    EXPECT_EQ(nullptr, record.hInstance);
    EXPECT_EQ("テキストファイル(*.txt)|*.txt|全てのファイル(*.*)|*.*|", Api.Filter);
    EXPECT_EQ(nullptr, record.lpstrCustomFilter);
    EXPECT_EQ(0u, record.nMaxCustFilter);
    EXPECT_EQ(0u, record.nFilterIndex);
    EXPECT_EQ("ruk_syslog.txt", Api.FileBuffer);
    EXPECT_EQ(512u, record.nMaxFile);
    EXPECT_NE(nullptr, record.lpstrFileTitle);
    EXPECT_EQ(512u, record.nMaxFileTitle);
    EXPECT_EQ(nullptr, record.lpstrInitialDir);
    EXPECT_STREQ(L"保存します。", record.lpstrTitle);
    EXPECT_EQ(0x2002u, record.Flags);
    EXPECT_EQ(0, record.nFileOffset);
    EXPECT_EQ(0, record.nFileExtension);
    EXPECT_STREQ(L"txt", record.lpstrDefExt);
    EXPECT_EQ(0, record.lCustData);
    EXPECT_EQ(nullptr, record.lpfnHook);
    EXPECT_EQ(nullptr, record.lpTemplateName);
}

TEST_F(ReportSaverTest, WritesEveryCollectorsElementsInOrder)
{
    SaveReportAs(Owner, Collectors, Api);
    EXPECT_TRUE(Api.Boxes.empty());
    EXPECT_EQ("System:\nab\n固定ディスク\n\n", ReadFile(Path));
    const char* locale = setlocale(LC_ALL, nullptr);
    EXPECT_NE(nullptr, std::strstr(locale, "Japan")) << locale;
}

TEST_F(ReportSaverTest, CancelDoesNothing)
{
    Api.SaveResult = FALSE;
    SaveReportAs(Owner, Collectors, Api);
    EXPECT_FALSE(Exists(Path));
    EXPECT_TRUE(Api.Boxes.empty());
}

TEST_F(ReportSaverTest, SavingTwiceTruncatesToTheSameBytes)
{
    {
        std::ofstream longer(Path, std::ios::binary);
        longer << std::string(10000, 'x');
    }
    SaveReportAs(Owner, Collectors, Api);
    const std::string first = ReadFile(Path);
    SaveReportAs(Owner, Collectors, Api);
    EXPECT_EQ(first, ReadFile(Path));
    EXPECT_EQ("System:\nab\n固定ディスク\n\n", first);
}

namespace {

std::wstring Wide(const std::string& text) { return WideText(text, CP_ACP); }

// The temporary files a save leaves in a folder.
std::vector<std::string> LeftOver(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\env*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// A folder of the test's own, so that no other suite's files are counted.
struct TFolder {
    explicit TFolder(const std::string& path) : Path(path) { CreateDirectoryA(Path.c_str(), nullptr); }
    ~TFolder()
    {
        for (const std::string& name : LeftOver(Path)) DeleteFileA((Path + "\\" + name).c_str());
        RemoveDirectoryA(Path.c_str());
    }
    std::string Path;
};

// Standard error of this process, while a headless run writes to it.
class TCapturedErrors {
public:
    TCapturedErrors() : Path(TempPath("stderr.txt")), Previous(GetStdHandle(STD_ERROR_HANDLE))
    {
        File = CreateFileA(Path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
        SetStdHandle(STD_ERROR_HANDLE, File);
    }
    ~TCapturedErrors()
    {
        SetStdHandle(STD_ERROR_HANDLE, Previous);
        CloseHandle(File);
        DeleteFileA(Path.c_str());
    }
    std::string Text() { return ReadFile(Path); }

private:
    std::string Path;
    HANDLE Previous;
    HANDLE File;
};

// One way a save can fail: where it goes, what was there before, and what
// happens between the choice of the name and the writing.
struct TFailedSave {
    const char* Name;
    std::string Target;
    const char* Earlier;  // the bytes of the file already there, or null
    std::function<void()> AfterChoice;
    std::string Folder;  // where no temporary file may stay; empty when gone
};

class FailedSaveTest : public ReportSaverTest {
protected:
    std::vector<TFailedSave> Cases()
    {
        std::vector<TFailedSave> cases = {
            {"missing folder", Own.Path + "\\missing\\report.txt", nullptr, nullptr, ""},
            {"a folder", Own.Path, nullptr, nullptr, Own.Path},
            {"a folder with a backslash", Own.Path + "\\", nullptr, nullptr, Own.Path},
            {"read-only file", Own.Path + "\\readonly.txt", "kept", nullptr, Own.Path},
            {"file held open", Own.Path + "\\held.txt", "held", nullptr, Own.Path},
            {"folder that vanishes", Vanishing.Path + "\\report.txt", nullptr,
             [this] { RemoveDirectoryA(Vanishing.Path.c_str()); }, ""},
            {"NUL", "NUL", nullptr, nullptr, ""},
            {"COM1", "COM1", nullptr, nullptr, ""},
            {"nul.txt in a folder", Own.Path + "\\nul.txt", nullptr, nullptr, Own.Path},
            {"aux.txt", "aux.txt", nullptr, nullptr, ""},
            {"a character device", "Z:\\dev\\full", nullptr, nullptr, ""},
        };
        const std::string tiny = TinyFolder();
        if (!tiny.empty()) cases.push_back({"full disk", tiny + "\\ruk_syslog.txt", "older report", nullptr, tiny});
        return cases;
    }

    // A 64 KiB filesystem mounted by the test environment where it may mount.
    static std::string TinyFolder()
    {
        const char* build = std::getenv("ENVCHECK_BUILD_DIR");
        if (build == nullptr) return std::string();
        std::string folder = std::string("Z:") + build + "/tinyfs";
        for (char& c : folder)
            if (c == '/') c = '\\';
        ULARGE_INTEGER available = {}, total = {}, free = {};
        if (!GetDiskFreeSpaceExA((folder + "\\").c_str(), &available, &total, &free) || total.QuadPart > 1024 * 1024)
            return std::string();
        return folder;
    }

    // Sets the case up, runs the save through saveAs, and checks that nothing
    // but the earlier file is there afterwards.
    void Check(const TFailedSave& save, const std::function<void(const TFailedSave&)>& saveAs)
    {
        SCOPED_TRACE(save.Name);
        CreateDirectoryA(Vanishing.Path.c_str(), nullptr);
        HANDLE held = INVALID_HANDLE_VALUE;
        if (save.Earlier != nullptr) {
            SetFileAttributesA(save.Target.c_str(), FILE_ATTRIBUTE_NORMAL);
            ASSERT_TRUE(WriteFileText(save.Target, save.Earlier));
            if (std::string(save.Name) == "read-only file")
                SetFileAttributesA(save.Target.c_str(), FILE_ATTRIBUTE_READONLY);
            if (std::string(save.Name) == "file held open")
                held = CreateFileA(save.Target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        }
        saveAs(save);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        if (save.Earlier != nullptr) {
            EXPECT_EQ(save.Earlier, ReadFile(save.Target)) << "the earlier file is untouched";
            SetFileAttributesA(save.Target.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(save.Target.c_str());
        }
        if (!save.Folder.empty()) {
            EXPECT_EQ(std::vector<std::string>(), LeftOver(save.Folder));
        }
    }

    // More than the small filesystem holds.
    TTestCollector Big{"t\n", std::vector<std::string>(4000, std::string(63, 'x') + "\n")};
    TFolder Own{TempPath("saves")};
    TFolder Vanishing{TempPath("vanishing")};
};

}  // namespace

TEST_F(FailedSaveTest, SaveShowsTheErrorBoxAndKeepsTheEarlierFile)
{
    Big.Collect(OsVersionRecord());
    std::vector<TBaseInfo*> collectors = {&Big};
    for (const TFailedSave& save : Cases()) {
        TFakeShellApi api;
        api.ChosenPath = WideText(save.Target, CP_ACP);
        api.AfterChoice = save.AfterChoice;
        Check(save, [&](const TFailedSave&) { SaveReportAs(Owner, collectors, api); });
        ASSERT_EQ(1u, api.Boxes.size()) << save.Name << ": a failed save must not pass for saved";
        EXPECT_EQ(nullptr, api.Boxes[0].Owner);
        EXPECT_EQ("ファイルの保存に失敗しました", api.Boxes[0].Text);
        EXPECT_EQ("保存エラー", api.Boxes[0].Caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), api.Boxes[0].Type);
    }
}

TEST_F(FailedSaveTest, HeadlessRunExitsWithTwoAndKeepsTheEarlierFile)
{
    for (const TFailedSave& save : Cases()) {
        TTestCollector big("t\n", std::vector<std::string>(4000, std::string(63, 'x') + "\n"));
        std::vector<TBaseInfo*> collectors = {&big};
        Check(save, [&](const TFailedSave&) {
            TCapturedErrors errors;
            if (save.AfterChoice) save.AfterChoice();
            EXPECT_EQ(2, RunHeadlessReport(Wide(save.Target), collectors, OsVersionRecord())) << save.Name;
            EXPECT_EQ("envcheck: cannot write the report to " + save.Target + "\n", errors.Text()) << save.Name;
        });
    }
}

TEST_F(ReportSaverTest, ReplacingLeavesOnlyTheReport)
{
    TFolder folder(TempPath("replace"));
    const std::string target = folder.Path + "\\ruk_syslog.txt";
    ASSERT_TRUE(WriteFileText(target, std::string(10000, 'o')));
    ASSERT_TRUE(WriteReport(Wide(target), Collectors));
    EXPECT_EQ("System:\nab\n固定ディスク\n\n", ReadFile(target));
    EXPECT_EQ(std::vector<std::string>(), LeftOver(folder.Path));
    DeleteFileA(target.c_str());
}

TEST_F(ReportSaverTest, EmptyCollectorsContributeNothing)
{
    std::vector<TBaseInfo*> none;
    EXPECT_TRUE(WriteReport(Wide(Path), none));
    EXPECT_TRUE(Exists(Path));
    EXPECT_EQ("", ReadFile(Path));
}

TEST_F(ReportSaverTest, HeadlessRunThatFailsExitsWithOneAndWritesNothing)
{
    Owned[1]->During = [] { throw std::bad_alloc(); };
    TCapturedErrors errors;
    EXPECT_EQ(1, RunHeadlessReport(Wide(Path), Collectors, OsVersionRecord()));
    EXPECT_EQ("envcheck: 情報の取得に失敗しました\n", errors.Text());
    EXPECT_FALSE(Exists(Path));
}

TEST(CommandLineTest, TheReportOptionAlwaysMeansNoWindow)
{
    struct TLine {
        const wchar_t* Line;
        TCommandLine::TMode Mode;
        const wchar_t* Path;
    };
    const TCommandLine::TMode Dialog = TCommandLine::Dialog, Report = TCommandLine::Report,
                              Usage = TCommandLine::Usage;
    const TLine lines[] = {
        {L"envcheck.exe", Dialog, L""},
        {L"\"C:\\A B\\envcheck.exe\"", Dialog, L""},
        {L"envcheck.exe C:\\dropped.txt", Dialog, L""},
        {L"envcheck.exe /reports out.txt", Dialog, L""},
        {L"envcheck.exe out.txt /report x", Dialog, L""},
        {L"envcheck.exe /report out.txt", Report, L"out.txt"},
        {L"envcheck.exe   /REPORT   \"C:\\My Reports\\r.txt\"  ", Report, L"C:\\My Reports\\r.txt"},
        {L"envcheck.exe -Report out.txt", Report, L"out.txt"},
        {L"envcheck.exe /report:out.txt", Report, L"out.txt"},
        {L"envcheck.exe -REPORT:\"C:\\a b.txt\"", Report, L"C:\\a b.txt"},
        {L"envcheck.exe /report C:\\Zo\u00EB\\r.txt", Report, L"C:\\Zo\u00EB\\r.txt"},
        {L"envcheck.exe /report", Usage, L""},
        {L"envcheck.exe /report \"\"", Usage, L""},
        {L"envcheck.exe /report:", Usage, L""},
        {L"envcheck.exe /report a b", Usage, L""},
        {L"envcheck.exe /report:a b", Usage, L""},
        {L"envcheck.exe -report", Usage, L""},
    };
    for (const TLine& line : lines) {
        const TCommandLine read = ReadCommandLine(line.Line);
        EXPECT_EQ(line.Mode, read.Mode) << NarrowText(line.Line, CP_UTF8);
        EXPECT_EQ(std::wstring(line.Path), read.ReportPath) << NarrowText(line.Line, CP_UTF8);
    }
    EXPECT_EQ(Dialog, ReadCommandLine(nullptr).Mode);
    EXPECT_EQ(Dialog, ReadCommandLine(L"").Mode);
}
