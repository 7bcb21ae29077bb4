#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <list>
#include <string>
#include <thread>
#include <vector>

#include "app/MainDialog.h"
#include "info/OsVersion.h"
#include "support/TestSupport.h"
#include "view/CustomEdit.h"

namespace {

const char* const Caption = "環境チェック  Version 20120508";

// The dialog of this process: other envcheck windows may be open meanwhile.
HWND FindOwnDialog()
{
    HWND found = nullptr;
    while ((found = FindWindowExA(nullptr, found, nullptr, Caption)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(found, &process);
        if (process == GetCurrentProcessId()) return found;
    }
    return nullptr;
}


// Runs the real dialog on this thread while a driver thread presses its buttons.
INT_PTR RunDialog(void (*drive)(HWND dialog, std::vector<std::string>& rows), std::vector<std::string>& rows)
{
    RegisterCustomEdit(GetModuleHandleA(nullptr));
    std::thread driver([&] {
        HWND dialog = nullptr;
        WaitUntil([&] { return (dialog = FindOwnDialog()) != nullptr; }, 30000);
        if (dialog != nullptr) drive(dialog, rows);
        if (dialog != nullptr) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                           MainDialogProc, 0);
    driver.join();
    return result;
}

void RunToSave(HWND dialog, std::vector<std::string>& rows)
{
    PostMessageA(GetDlgItem(dialog, 1004), BM_CLICK, 0, 0);
    if (!WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, 1001)) != FALSE; }, 180000)) return;
    TCustomEdit* view = FindCustomEdit(GetDlgItem(dialog, 1003));
    if (view == nullptr) return;
    for (const std::string& row : view->GetLines()) rows.push_back(row);
}

}  // namespace

TEST(MainDialogTest, RunShowsTheStartLineTheTitlesThenTheSections)
{
    std::vector<std::string> rows;
    EXPECT_EQ(0, RunDialog(RunToSave, rows));
    const std::vector<std::string> head = {
        "情報取得開始...\n",        "システムの情報を取得中...\n", "DirectXの情報を取得中...\n",
        "プロセスの情報を取得中...\n", "サービスの情報を取得中...\n", "ネットワークの情報を取得中...\n",
        "ドライブ情報を取得中...\n",
    };
    ASSERT_GT(rows.size(), head.size()) << "Save was never enabled";
    EXPECT_EQ(head, std::vector<std::string>(rows.begin(), rows.begin() + static_cast<long>(head.size())));
    bool drives = false;
    for (const std::string& row : rows) drives = drives || row == "Drive information: \n";
    EXPECT_TRUE(drives);
    EXPECT_EQ("", rows.back()) << "the report ends with a line feed";

    EXPECT_TRUE(CollectorList.empty()) << "the collectors are deleted at exit";
    EXPECT_EQ(nullptr, WorkerThread);
    EXPECT_TRUE(OsVersionLoaded);
}

TEST(MainDialogTest, ExitBeforeStartCollectsNothing)
{
    std::vector<std::string> rows;
    EXPECT_EQ(0, RunDialog([](HWND dialog, std::vector<std::string>& seen) {
                  TCustomEdit* view = FindCustomEdit(GetDlgItem(dialog, 1003));
                  if (view != nullptr)
                      for (const std::string& row : view->GetLines()) seen.push_back(row);
              }, rows));
    EXPECT_TRUE(rows.empty());
}
