#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "thread/Thread.h"

namespace {

// A thread body that reports when it starts and ends when it is released.
class TProbeThread : public TThread {
public:
    explicit TProbeThread(int result = 0) : Result(result)
    {
        Started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        Release = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    }
    ~TProbeThread() override
    {
        CloseHandle(Started);
        CloseHandle(Release);
    }

    int Execute() override
    {
        SawTerminated = IsTerminated();
        ++Runs;
        SetEvent(Started);
        WaitForSingleObject(Release, INFINITE);
        return Result;
    }

    HANDLE Started;
    HANDLE Release;
    int Result;
    std::atomic<int> Runs{0};
    std::atomic<bool> SawTerminated{false};
};

// A second handle to the thread, still valid after WaitFor released the first.
HANDLE Duplicate(HANDLE thread)
{
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

DWORD ExitCodeOf(HANDLE thread)
{
    DWORD code = 0xdeadbeef;
    GetExitCodeThread(thread, &code);
    return code;
}

}  // namespace

TEST(ThreadTest, ConstructedWithoutThread)
{
    TProbeThread thread;
    EXPECT_EQ(nullptr, thread.GetHandle());
    EXPECT_EQ(0u, thread.GetThreadId());
    EXPECT_FALSE(thread.IsTerminated());
    EXPECT_FALSE(thread.IsFinished());
    thread.WaitFor();  // no thread: returns at once
}

TEST(ThreadTest, SuspendedThreadRunsNothingBeforeResume)
{
    TProbeThread thread(5);
    ASSERT_TRUE(thread.Create(true));
    EXPECT_NE(nullptr, thread.GetHandle());
    EXPECT_NE(0u, thread.GetThreadId());
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(thread.Started, 200));
    EXPECT_EQ(0, thread.Runs);

    EXPECT_EQ(1u, thread.Resume()) << "previous suspend count";
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.Started, 10000));
    HANDLE copy = Duplicate(thread.GetHandle());
    thread.WaitFor();
    EXPECT_EQ(1, thread.Runs);
    EXPECT_EQ(5u, ExitCodeOf(copy));
    CloseHandle(copy);
}

TEST(ThreadTest, SecondCreateIsRefusedWhileTheFirstRuns)
{
    TProbeThread thread;
    ResetEvent(thread.Release);
    ASSERT_TRUE(thread.Create(false));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.Started, 10000));
    const HANDLE first = thread.GetHandle();
    const unsigned firstId = thread.GetThreadId();

    EXPECT_FALSE(thread.Create(false));
    EXPECT_FALSE(thread.Create(true));
    EXPECT_EQ(first, thread.GetHandle());
    EXPECT_EQ(firstId, thread.GetThreadId());

    SetEvent(thread.Release);
    thread.WaitFor();
    EXPECT_EQ(1, thread.Runs);
}

TEST(ThreadTest, TerminateThenResumeLetsTheBodySeeTheStopRequest)
{
    TProbeThread thread(1);
    ASSERT_TRUE(thread.Create(true));
    thread.Terminate();
    EXPECT_TRUE(thread.IsTerminated());
    HANDLE copy = Duplicate(thread.GetHandle());
    thread.Resume();
    thread.WaitFor();

    EXPECT_TRUE(thread.SawTerminated);
    EXPECT_EQ(1u, ExitCodeOf(copy));
    EXPECT_EQ(nullptr, thread.GetHandle());
    EXPECT_EQ(0u, thread.GetThreadId());
    EXPECT_TRUE(thread.IsTerminated());
    EXPECT_TRUE(thread.IsFinished());
    CloseHandle(copy);
}

TEST(ThreadTest, ExitCodeIsTheBodysResult)
{
    for (int result : {0, 1, -1, 0x7fffffff}) {
        TProbeThread thread(result);
        ASSERT_TRUE(thread.Create(false));
        HANDLE copy = Duplicate(thread.GetHandle());
        thread.WaitFor();
        EXPECT_EQ(static_cast<DWORD>(result), ExitCodeOf(copy)) << "result " << result;
        CloseHandle(copy);
    }
}

TEST(ThreadTest, WaitForAfterTheEndReturnsAtOnce)
{
    TProbeThread thread;
    ASSERT_TRUE(thread.Create(false));
    // The thread ends on its own; nobody is waiting yet.
    HANDLE copy = Duplicate(thread.GetHandle());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(copy, 10000));
    CloseHandle(copy);
    EXPECT_TRUE(thread.IsFinished());
    thread.WaitFor();
    EXPECT_EQ(nullptr, thread.GetHandle());
    thread.WaitFor();
}

TEST(ThreadTest, CreateAfterTheEndStartsANewThread)
{
    TProbeThread thread;
    ASSERT_TRUE(thread.Create(false));
    thread.WaitFor();
    // Held until it is looked at: a free body may end, and set both flags, before the check.
    ResetEvent(thread.Release);
    ASSERT_TRUE(thread.Create(false));
    EXPECT_FALSE(thread.IsTerminated());
    EXPECT_FALSE(thread.IsFinished());
    SetEvent(thread.Release);
    thread.WaitFor();
    EXPECT_FALSE(thread.SawTerminated) << "the new run starts with the stop request cleared";
    EXPECT_EQ(2, thread.Runs);

    // Ended but not yet waited for: the stale handle is released, not refused.
    ASSERT_TRUE(thread.Create(false));
    HANDLE copy = Duplicate(thread.GetHandle());
    WaitForSingleObject(copy, 10000);
    CloseHandle(copy);
    EXPECT_TRUE(thread.Create(false));
    thread.WaitFor();
    EXPECT_EQ(4, thread.Runs);
}

TEST(ThreadTest, DeleteRightAfterWaitForIsSafe)
{
    for (int i = 0; i < 300; ++i) {
        TProbeThread* thread = new TProbeThread(i);
        ASSERT_TRUE(thread->Create(i % 2 == 0)) << "iteration " << i;
        thread->Terminate();
        thread->Resume();
        thread->WaitFor();
        ASSERT_TRUE(thread->IsFinished()) << "iteration " << i;
        delete thread;
    }
}

namespace {

// A body that sends a message to a window of the thread that waits for it.
class TSendingThread : public TThread {
public:
    explicit TSendingThread(HWND target) : Target(target) {}
    int Execute() override { return static_cast<int>(SendMessageA(Target, WM_USER, 0, 0)); }
    HWND Target;
};

LRESULT CALLBACK AnswerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER) return 42;
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TEST(ThreadTest, WaitForServesMessagesSentByTheThread)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = AnswerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ThreadTestAnswer";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "ThreadTestAnswer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_USER + 1, 0, 0);

    TSendingThread thread(window);
    ASSERT_TRUE(thread.Create(false));
    HANDLE copy = Duplicate(thread.GetHandle());
    thread.WaitFor();  // would never return if the sent message were not served
    EXPECT_EQ(42u, ExitCodeOf(copy));
    CloseHandle(copy);

    // Posted messages (user input) are left in the queue.
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, window, WM_USER + 1, WM_USER + 1, PM_REMOVE));
    DestroyWindow(window);
}

// Whatever Execute throws ends only the thread, with the failure's own code.
class TThrowingThread : public TThread {
public:
    explicit TThrowingThread(bool failedThrows) : FailedThrows(failedThrows) {}
    int Execute() override { throw 42; }
    int ExecuteFailed() override
    {
        FailedOnThread = GetCurrentThreadId();
        if (FailedThrows) throw 43;
        return 7;
    }
    bool FailedThrows;
    DWORD FailedOnThread = 0;
};

TEST(ThreadExceptionTest, AnExceptionEndsOnlyTheThread)
{
    for (bool failedThrows : {false, true}) {
        TThrowingThread thread(failedThrows);
        ASSERT_TRUE(thread.Create(false));
        const DWORD id = thread.GetThreadId();
        thread.WaitFor();
        EXPECT_TRUE(thread.IsFinished());
        EXPECT_EQ(failedThrows ? TThread::ExceptionExitCode : 7, thread.GetExitCode());
        EXPECT_EQ(id, thread.FailedOnThread) << "the failure is handled on the thread itself";
    }
}
