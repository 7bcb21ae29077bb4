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

#include "app/FakeShellApi.h"
#include "app/HeadlessReport.h"
#include "app/MainDialog.h"
#include "app/ReportSaver.h"
#include "app/TestCollector.h"
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
            collector->Collect();
            Collectors.push_back(collector.get());
        }
        Api.ChosenPath = Path;
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
    OnSave(Owner, Collectors, Api);
    ASSERT_EQ(1, Api.SaveDialogs);
    const OPENFILENAMEA& record = Api.Record;
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
    EXPECT_STREQ("保存します。", record.lpstrTitle);
    EXPECT_EQ(0x2002u, record.Flags);
    EXPECT_EQ(0, record.nFileOffset);
    EXPECT_EQ(0, record.nFileExtension);
    EXPECT_STREQ("txt", record.lpstrDefExt);
    EXPECT_EQ(0, record.lCustData);
    EXPECT_EQ(nullptr, record.lpfnHook);
    EXPECT_EQ(nullptr, record.lpTemplateName);
}

TEST_F(ReportSaverTest, WritesEveryCollectorsElementsInOrder)
{
    OnSave(Owner, Collectors, Api);
    EXPECT_TRUE(Api.Boxes.empty());
    EXPECT_EQ("System:\nab\n固定ディスク\n\n", ReadFile(Path));
    const char* locale = setlocale(LC_ALL, nullptr);
    EXPECT_NE(nullptr, std::strstr(locale, "Japan")) << locale;
}

TEST_F(ReportSaverTest, CancelDoesNothing)
{
    Api.SaveResult = FALSE;
    OnSave(Owner, Collectors, Api);
    EXPECT_FALSE(Exists(Path));
    EXPECT_TRUE(Api.Boxes.empty());
}

TEST_F(ReportSaverTest, SavingTwiceTruncatesToTheSameBytes)
{
    {
        std::ofstream longer(Path, std::ios::binary);
        longer << std::string(10000, 'x');
    }
    OnSave(Owner, Collectors, Api);
    const std::string first = ReadFile(Path);
    OnSave(Owner, Collectors, Api);
    EXPECT_EQ(first, ReadFile(Path));
    EXPECT_EQ("System:\nab\n固定ディスク\n\n", first);
}

TEST_F(ReportSaverTest, UnwritablePathShowsTheErrorBox)
{
    Api.ChosenPath = TempPath("missing-folder\\report.txt");
    OnSave(Owner, Collectors, Api);
    ASSERT_EQ(1u, Api.Boxes.size());
    EXPECT_EQ(nullptr, Api.Boxes[0].Owner);
    EXPECT_EQ("ファイルの保存に失敗しました", Api.Boxes[0].Text);
    EXPECT_EQ("保存エラー", Api.Boxes[0].Caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), Api.Boxes[0].Type);
    EXPECT_FALSE(Exists(Api.ChosenPath));
}

TEST_F(ReportSaverTest, DirectoryAsThePathShowsTheErrorBox)
{
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    Api.ChosenPath = directory;
    OnSave(Owner, Collectors, Api);
    EXPECT_EQ(1u, Api.Boxes.size());
}

TEST_F(ReportSaverTest, FailingWriteAfterOpenShowsTheErrorBox)
{
    // Wine maps the Unix root to Z:, and /dev/full opens but refuses every write.
    HANDLE full = CreateFileA("Z:\\dev\\full", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (full == INVALID_HANDLE_VALUE) GTEST_SKIP() << "Z:\\dev\\full cannot be opened, error " << GetLastError();
    DWORD written = 0xdeadbeef;
    const BOOL wrote = WriteFile(full, "x", 1, &written, nullptr);
    CloseHandle(full);
    ASSERT_FALSE(wrote) << "the device accepted a write";
    Api.ChosenPath = "Z:\\dev\\full";
    OnSave(Owner, Collectors, Api);
    ASSERT_EQ(1u, Api.Boxes.size()) << "an unwritten report must not pass for saved";
    EXPECT_EQ("ファイルの保存に失敗しました", Api.Boxes[0].Text);
}

TEST_F(ReportSaverTest, ReadOnlyFileShowsTheErrorBox)
{
    ASSERT_TRUE(WriteFileText(Path, "kept"));
    SetFileAttributesA(Path.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE probe = CreateFileA(Path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        SetFileAttributesA(Path.c_str(), FILE_ATTRIBUTE_NORMAL);
        GTEST_SKIP() << "this platform opens a read-only file for writing (Wine run as root)";
    }
    OnSave(Owner, Collectors, Api);
    SetFileAttributesA(Path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(1u, Api.Boxes.size());
    EXPECT_EQ("kept", ReadFile(Path));
}

TEST_F(ReportSaverTest, FolderThatVanishesShowsTheErrorBox)
{
    const std::string folder = TempPath("vanishing");
    CreateDirectoryA(folder.c_str(), nullptr);
    Api.ChosenPath = folder + "\\report.txt";
    Api.AfterChoice = [&] { RemoveDirectoryA(folder.c_str()); };
    OnSave(Owner, Collectors, Api);
    EXPECT_EQ(1u, Api.Boxes.size()) << "folder gone before the writing";
    EXPECT_FALSE(Exists(Api.ChosenPath));
}

TEST_F(ReportSaverTest, FullDiskShowsTheErrorBox)
{
    // A 64 KiB filesystem mounted by the test environment where it may mount.
    const char* build = std::getenv("ENVCHECK_BUILD_DIR");
    ASSERT_NE(nullptr, build);
    std::string folder = std::string("Z:") + build + "/tinyfs";
    for (char& c : folder)
        if (c == '/') c = '\\';
    ULARGE_INTEGER available = {}, total = {}, free = {};
    if (!GetDiskFreeSpaceExA((folder + "\\").c_str(), &available, &total, &free) || total.QuadPart > 1024 * 1024)
        GTEST_SKIP() << "no small filesystem at " << folder << " (mounting not allowed here)";
    TTestCollector big("t\n", std::vector<std::string>(4000, std::string(63, 'x') + "\n"));  // 256 KiB
    big.Collect();
    std::vector<TBaseInfo*> collectors = {&big};
    Api.ChosenPath = folder + "\\report.txt";
    OnSave(Owner, collectors, Api);
    ASSERT_EQ(1u, Api.Boxes.size()) << "a partial report must not pass for saved";
    EXPECT_EQ("ファイルの保存に失敗しました", Api.Boxes[0].Text);
    DeleteFileA(Api.ChosenPath.c_str());
}

TEST_F(ReportSaverTest, EmptyCollectorsContributeNothing)
{
    std::vector<TBaseInfo*> none;
    EXPECT_TRUE(WriteReport(Path, none));
    EXPECT_TRUE(Exists(Path));
    EXPECT_EQ("", ReadFile(Path));
}

TEST(HeadlessArgumentTest, OnlyReportWithAFileIsHeadless)
{
    EXPECT_EQ("out.txt", ReportFileArgument("/report out.txt"));
    EXPECT_EQ("C:\\My Reports\\r.txt", ReportFileArgument("  /report   \"C:\\My Reports\\r.txt\"  "));
    EXPECT_EQ("a b", ReportFileArgument("/report a b"));
    EXPECT_EQ("", ReportFileArgument(""));
    EXPECT_EQ("", ReportFileArgument(nullptr));
    EXPECT_EQ("", ReportFileArgument("/report"));
    EXPECT_EQ("", ReportFileArgument("/report   "));
    EXPECT_EQ("", ReportFileArgument("/reportx out.txt"));
    EXPECT_EQ("", ReportFileArgument("/REPORT out.txt"));
    EXPECT_EQ("", ReportFileArgument("out.txt"));
}
