#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/CheckThread.h"
#include "app/MainDialog.h"
#include "app/FakeShellApi.h"
#include "app/TestCollector.h"
#include "support/SectionText.h"
#include "view/CustomEdit.h"

namespace {

// A window with the view the run shows its lines in; it is told the run's end.
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
    // What the run told the dialog at its end: -1 nothing, else whether it ended whole.
    int Ended() const
    {
        MSG message;
        if (!PeekMessageA(&message, Window, WM_RUNENDED, WM_RUNENDED, PM_REMOVE)) return -1;
        return static_cast<int>(message.wParam);
    }

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
        Worker.Create(true);
    }

    int Run()
    {
        Worker.Resume();
        Worker.WaitFor();
        return Worker.GetExitCode();
    }

    TTestCollector& Collector(int index) { return *Owned[static_cast<size_t>(index)]; }

    TFakeDialog Dialog;
    TFakeShellApi Api;
    std::vector<std::unique_ptr<TTestCollector>> Owned;
    std::vector<TBaseInfo*> Collectors;
    const OsVersionRecord Version = WindowsVersion(VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1");
    TDialogRunView View{Dialog.Window, *Dialog.View};
    TCheckThread Worker{Collectors, Version, View, Api};
};

}  // namespace

TEST_F(CheckThreadTest, CompleteRunShowsTitlesThenSectionsAndEndsWhole)
{
    EXPECT_EQ(0, Run());
    EXPECT_EQ("first...\nsecond...\nthird...\nA: 1\nC\n\n", Dialog.Rows());
    EXPECT_EQ(TRUE, Dialog.Ended());
    EXPECT_EQ(1, Api.Initializes);
    EXPECT_EQ(1, Api.Uninitializes);
    EXPECT_TRUE(Api.Boxes.empty());
    EXPECT_EQ("1\n", Collector(0).GetLines()[1]) << "a report never has a carriage return";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(1, Collector(i).Runs);
        EXPECT_EQ(0, memcmp(&Version.Info, &Collector(i).Told.Info, sizeof(Version.Info)))
            << "each collector is told the run's version";
    }
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
    EXPECT_EQ(-1, Dialog.Ended());
    EXPECT_EQ(0, Collector(0).Runs);
}

TEST_F(CheckThreadTest, StopDuringACollectorLetsItFinishAndSkipsTheRest)
{
    Collector(1).During = [this] { Worker.Terminate(); };
    EXPECT_EQ(0, Run());
    EXPECT_EQ(1, Collector(0).Runs);
    EXPECT_EQ(1, Collector(1).Runs);
    EXPECT_EQ(0, Collector(2).Runs);
    EXPECT_EQ("first...\nsecond...\n", Dialog.Rows()) << "no pass 2";
    EXPECT_EQ(FALSE, Dialog.Ended());
    EXPECT_EQ(1, Api.Uninitializes);
}

TEST_F(CheckThreadTest, StopDuringTheLastCollectorSkipsPassTwo)
{
    Collector(2).During = [this] { Worker.Terminate(); };
    EXPECT_EQ(0, Run());
    EXPECT_EQ("first...\nsecond...\nthird...\n", Dialog.Rows());
    EXPECT_EQ(FALSE, Dialog.Ended());
    EXPECT_EQ(1, Api.Uninitializes);
}

TEST_F(CheckThreadTest, ComInitialisationOtherThanSOkShowsTheBoxAndRunsNothing)
{
    for (HRESULT result : {S_FALSE, E_OUTOFMEMORY, RPC_E_CHANGED_MODE}) {
        TFakeDialog dialog;
        TFakeShellApi api;
        api.InitializeResult = result;
        TDialogRunView view(dialog.Window, *dialog.View);
        TCheckThread worker(Collectors, Version, view, api);
        worker.Create(false);
        worker.WaitFor();
        EXPECT_EQ(-1, worker.GetExitCode()) << std::hex << result;
        ASSERT_EQ(1u, api.Boxes.size()) << std::hex << result;
        EXPECT_EQ(nullptr, api.Boxes[0].Owner);
        EXPECT_EQ("COM初期化に失敗しました", api.Boxes[0].Text);
        EXPECT_EQ("COM初期化エラー", api.Boxes[0].Caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), api.Boxes[0].Type);
        EXPECT_EQ(0, api.Uninitializes);
        EXPECT_EQ("", dialog.Rows());
        EXPECT_EQ(-1, dialog.Ended());
    }
    EXPECT_EQ(0, Collector(0).Runs);
}

TEST_F(CheckThreadTest, RealComInitialisationSucceedsOnTheWorker)
{
    TRunView nothingShown;
    TCheckThread real(Collectors, Version, nothingShown);
    real.Create(false);
    real.WaitFor();
    EXPECT_EQ(0, real.GetExitCode());
}

// Out of memory in a collector: the run says so and the report is not saveable.
TEST_F(CheckThreadTest, AnExceptionEndsTheRunWithItsLine)
{
    Collector(1).During = [] { throw std::bad_alloc(); };
    EXPECT_EQ(TThread::ExceptionExitCode, Run());
    EXPECT_EQ("first...\nsecond...\n情報の取得に失敗しました\n", Dialog.Rows());
    EXPECT_EQ(-1, Dialog.Ended());
    EXPECT_EQ(0, Collector(2).Runs);
    EXPECT_EQ(1, Api.Uninitializes) << "COM is left as the worker found it";

    // Without a view the line goes to the shell's box, which a headless run writes to standard error.
    TFakeShellApi api;
    TRunView nothingShown;
    TCheckThread headless(Collectors, Version, nothingShown, api);
    headless.Create(false);
    headless.WaitFor();
    EXPECT_EQ(TThread::ExceptionExitCode, headless.GetExitCode());
    ASSERT_EQ(1u, api.Boxes.size());
    EXPECT_EQ("情報の取得に失敗しました", api.Boxes[0].Text);
    EXPECT_EQ("情報取得エラー", api.Boxes[0].Caption);
}
