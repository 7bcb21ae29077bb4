#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CheckThread.h"
#include "app/MainDialog.h"
#include "app/FakeShellApi.h"
#include "app/TestCollector.h"
#include "view/CustomEdit.h"

namespace {

// A window with the two controls the run uses: the view (1003) and Save (1001).
class TFakeDialog {
public:
    TFakeDialog()
    {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        RegisterCustomEdit(instance);
        Window = CreateWindowExA(0, "STATIC", "dialog", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                 instance, nullptr);
        HWND view = CreateWindowExA(0, "CustomEdit", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0, 400, 250, Window,
                                    reinterpret_cast<HMENU>(IDC_VIEW), instance, nullptr);
        CreateWindowExA(0, "BUTTON", "save", WS_CHILD | WS_VISIBLE | WS_DISABLED, 0, 260, 80, 20, Window,
                        reinterpret_cast<HMENU>(IDC_SAVE), instance, nullptr);
        View = new TCustomEdit;
        View->Attach(view);
    }
    ~TFakeDialog() { DestroyWindow(Window); }

    std::string Rows() const
    {
        std::string text;
        for (const std::string& row : View->GetLines()) text += row;
        return text;
    }
    bool SaveEnabled() const { return IsWindowEnabled(GetDlgItem(Window, IDC_SAVE)) != FALSE; }

    HWND Window;
    TCustomEdit* View;
};

class CheckThreadTest : public ::testing::Test {
protected:
    CheckThreadTest()
    {
        Owned.emplace_back(new TTestCollector("first...\n", {"A: ", "1\r\n"}));
        Owned.emplace_back(new TTestCollector("second...\n", {}));
        Owned.emplace_back(new TTestCollector("third...\n", {"C\n", "\n"}));
        for (auto& collector : Owned) Collectors.push_back(collector.get());
        Worker.SetWindow(Dialog.Window);
        Worker.Create(true);
    }

    int Run()
    {
        OnStart(Dialog.Window, Worker);
        Worker.WaitFor();
        return Worker.GetExitCode();
    }

    TTestCollector& Collector(int index) { return *Owned[static_cast<size_t>(index)]; }

    TFakeDialog Dialog;
    TFakeShellApi Api;
    std::vector<std::unique_ptr<TTestCollector>> Owned;
    std::vector<TBaseInfo*> Collectors;
    TCheckThread Worker{Collectors, Api};
};

}  // namespace

TEST_F(CheckThreadTest, CompleteRunShowsTitlesThenSectionsAndEnablesSave)
{
    EXPECT_EQ(0, Run());
    EXPECT_EQ("情報取得開始...\nfirst...\nsecond...\nthird...\nA: 1\nC\n\n", Dialog.Rows());
    EXPECT_TRUE(Dialog.SaveEnabled());
    EXPECT_EQ(1, Api.Initializes);
    EXPECT_EQ(1, Api.Uninitializes);
    EXPECT_TRUE(Api.Boxes.empty());
    EXPECT_EQ("1\n", Collector(0).GetLines()[1]) << "the view's append removed the carriage return";
    for (int i = 0; i < 3; ++i) EXPECT_EQ(1, Collector(i).Runs);
}

TEST_F(CheckThreadTest, StartClearsTheViewFirst)
{
    std::string old = "old text\n";
    Dialog.View->Append(old);
    Run();
    EXPECT_EQ(0u, Dialog.Rows().find("情報取得開始...\n")) << Dialog.Rows();
}

TEST_F(CheckThreadTest, StopBeforeStartRunsNothing)
{
    Worker.Terminate();
    Worker.Resume();
    Worker.WaitFor();
    EXPECT_EQ(1, Worker.GetExitCode());
    EXPECT_EQ(0, Api.Initializes);
    EXPECT_EQ(0, Api.Uninitializes);
    EXPECT_EQ("", Dialog.Rows());
    EXPECT_EQ(0, Collector(0).Runs);
}

TEST_F(CheckThreadTest, StopDuringACollectorLetsItFinishAndSkipsTheRest)
{
    Collector(1).During = [this] { Worker.Terminate(); };
    EXPECT_EQ(0, Run());
    EXPECT_EQ(1, Collector(0).Runs);
    EXPECT_EQ(1, Collector(1).Runs);
    EXPECT_EQ(0, Collector(2).Runs);
    EXPECT_EQ("情報取得開始...\nfirst...\nsecond...\n", Dialog.Rows()) << "no pass 2";
    EXPECT_FALSE(Dialog.SaveEnabled());
    EXPECT_EQ(1, Api.Uninitializes);
}

TEST_F(CheckThreadTest, StopDuringTheLastCollectorSkipsPassTwo)
{
    Collector(2).During = [this] { Worker.Terminate(); };
    EXPECT_EQ(0, Run());
    EXPECT_EQ("情報取得開始...\nfirst...\nsecond...\nthird...\n", Dialog.Rows());
    EXPECT_FALSE(Dialog.SaveEnabled());
    EXPECT_EQ(1, Api.Uninitializes);
}

TEST_F(CheckThreadTest, ComInitialisationOtherThanSOkShowsTheBoxAndRunsNothing)
{
    for (HRESULT result : {S_FALSE, E_OUTOFMEMORY, RPC_E_CHANGED_MODE}) {
        TFakeDialog dialog;
        TFakeShellApi api;
        api.InitializeResult = result;
        TCheckThread worker(Collectors, api);
        worker.SetWindow(dialog.Window);
        worker.Create(true);
        OnStart(dialog.Window, worker);
        worker.WaitFor();
        EXPECT_EQ(-1, worker.GetExitCode()) << std::hex << result;
        ASSERT_EQ(1u, api.Boxes.size()) << std::hex << result;
        EXPECT_EQ(nullptr, api.Boxes[0].Owner);
        EXPECT_EQ("COM初期化に失敗しました", api.Boxes[0].Text);
        EXPECT_EQ("COM初期化エラー", api.Boxes[0].Caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), api.Boxes[0].Type);
        EXPECT_EQ(0, api.Uninitializes);
        EXPECT_EQ("情報取得開始...\n", dialog.Rows());
        EXPECT_FALSE(dialog.SaveEnabled());
    }
    EXPECT_EQ(0, Collector(0).Runs);
}

TEST_F(CheckThreadTest, WithoutADialogTheLinesAreCleanedAsTheViewWould)
{
    TFakeShellApi api;
    TCheckThread headless(Collectors, api);
    headless.Create(false);
    headless.WaitFor();
    EXPECT_EQ(0, headless.GetExitCode());
    EXPECT_EQ("1\n", Collector(0).GetLines()[1]);
    EXPECT_EQ("", Dialog.Rows()) << "nothing reached the other view";
}

TEST_F(CheckThreadTest, RealComInitialisationSucceedsOnTheWorker)
{
    TCheckThread real(Collectors);
    real.Create(false);
    real.WaitFor();
    EXPECT_EQ(0, real.GetExitCode());
}

// Out of memory in a collector: the run says so and the report is not saveable.
TEST_F(CheckThreadTest, AnExceptionEndsTheRunWithItsLine)
{
    Collector(1).During = [] { throw std::bad_alloc(); };
    EXPECT_EQ(TThread::ExceptionExitCode, Run());
    EXPECT_EQ("情報取得開始...\nfirst...\nsecond...\n情報の取得に失敗しました\n", Dialog.Rows());
    EXPECT_FALSE(Dialog.SaveEnabled());
    EXPECT_EQ(0, Collector(2).Runs);
    EXPECT_EQ(1, Api.Uninitializes) << "COM is left as the worker found it";

    // Without a view the line goes to the shell's box, which a headless run writes to standard error.
    TFakeShellApi api;
    TCheckThread headless(Collectors, api);
    headless.Create(false);
    headless.WaitFor();
    EXPECT_EQ(TThread::ExceptionExitCode, headless.GetExitCode());
    ASSERT_EQ(1u, api.Boxes.size());
    EXPECT_EQ("情報の取得に失敗しました", api.Boxes[0].Text);
    EXPECT_EQ("情報取得エラー", api.Boxes[0].Caption);
}
