#include "support/DialogRun.h"

#include <atomic>
#include <cstdio>
#include <thread>

#include "app/MainDialog.h"
#include "support/Await.h"
#include "support/DialogDriver.h"
#include "view/CustomEdit.h"

INT_PTR RunDialog(const TDrive& drive)
{
    RegisterCustomEdit(GetModuleHandleA(nullptr));
    const DWORD self = GetCurrentThreadId();
    std::atomic<bool> returned(false);
    ::testing::AssertionResult outcome = ::testing::AssertionSuccess();
    std::thread driver([&] {
        HWND dialog = nullptr;
        outcome = AwaitReadyDialog(GetCurrentProcessId(), dialog);
        if (outcome) outcome = drive(dialog);
        if (dialog != nullptr)
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        else if (!returned)
            PostThreadMessageA(self, WM_QUIT, 0, 0);  // a dialog that never became ready
        // A dialog thread that never comes back from its exit cannot report a
        // failure itself: the whole test program fails now, saying so.
        if (!WaitUntil([&] { return returned.load(); }, RunLimit)) {
            // (Nothing here may ask the stuck thread: not even for a window's text.)
            fprintf(stderr, "the dialog did not end within %lu ms of its exit request\n",
                    static_cast<unsigned long>(RunLimit));
            fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    });
    TMainDialog main;
    const INT_PTR result = main.Run(GetModuleHandleA(nullptr));
    returned = true;
    driver.join();
    EXPECT_TRUE(outcome);
    EXPECT_FALSE(main.HoldsARun()) << "the collectors and the worker go at the exit";
    return result;
}
