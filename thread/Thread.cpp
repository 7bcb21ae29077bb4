#include "thread/Thread.h"

#include <process.h>

TThread::TThread() : Handle(nullptr), ThreadId(0), Terminated(false), Finished(false), ExitCode(0) {}

TThread::~TThread()
{
    // Closing the handle neither stops nor waits for the thread; it only
    // keeps an owner that skipped WaitFor from leaking it.
    if (Handle != nullptr) CloseHandle(Handle);
}

bool TThread::Create(bool suspended)
{
    const unsigned flags = suspended ? CREATE_SUSPENDED : 0;
    if (Handle != nullptr) {
        if (!Finished) return false;
        // The previous thread has ended but nobody waited for it yet.
        WaitFor();
    }
    // Cleared before the start: a thread that is not suspended may already
    // have ended, and set both, by the time _beginthreadex returns.
    const bool wasTerminated = Terminated;
    const bool wasFinished = Finished;
    Terminated = false;
    Finished = false;
    const uintptr_t started = _beginthreadex(nullptr, 0, &TThread::ThreadEntry, this, flags, &ThreadId);
    Handle = reinterpret_cast<HANDLE>(started);
    if (Handle == nullptr) {
        ThreadId = 0;
        Terminated = wasTerminated;
        Finished = wasFinished;
        return false;
    }
    return true;
}

DWORD TThread::Resume() { return ResumeThread(Handle); }

void TThread::Terminate() { Terminated = true; }

void TThread::WaitFor()
{
    if (Handle == nullptr) return;
    // Messages sent to this thread's windows (the worker repainting the view) are served while waiting, so a worker
    // inside such a call can still end; posted messages and input stay queued.
    while (MsgWaitForMultipleObjects(1, &Handle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    ReleaseHandle();
}

unsigned __stdcall TThread::ThreadEntry(void* argument)
{
    TThread* thread = static_cast<TThread*>(argument);
    int exitCode = ExceptionExitCode;
    try {
        exitCode = thread->Execute();
    } catch (...) {
        try {
            exitCode = thread->ExecuteFailed();
        } catch (...) {
            exitCode = ExceptionExitCode;
        }
    }
    thread->EndThread(exitCode);
}

void TThread::EndThread(int exitCode)
{
    // The last touch of the object: once the thread has ended, the owner may
    // delete it as soon as its wait returns.
    ExitCode = exitCode;
    Terminated = true;
    Finished = true;
    _endthreadex(static_cast<unsigned>(exitCode));
    for (;;) {
    }
}

void TThread::ReleaseHandle()
{
    CloseHandle(Handle);
    Handle = nullptr;
    ThreadId = 0;
}
