#ifndef ENVCHECK_THREAD_THREAD_H
#define ENVCHECK_THREAD_THREAD_H

#include <windows.h>

#include <atomic>

// Base of every thread object: the derived class supplies Execute, this class
// starts, resumes and waits for the operating-system thread.
// The owner releases the thread handle after WaitFor, so the handle waited on
// stays valid until the thread has really ended.
class TThread {
public:
    TThread();
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    bool Create(bool suspended);
    DWORD Resume();
    void Terminate();
    void WaitFor();

    HANDLE GetHandle() const { return Handle; }
    unsigned GetThreadId() const { return ThreadId; }
    bool IsTerminated() const { return Terminated; }
    bool IsFinished() const { return Finished; }
    // Execute's result, once the thread has finished.
    int GetExitCode() const { return ExitCode; }
    // The exit code of a thread that an exception ended.
    static constexpr int ExceptionExitCode = -2;

protected:
    virtual int Execute() = 0;
    // Runs on the thread when Execute let an exception out (out of memory is
    // the realistic one); its result is the exit code, and the process goes on.
    virtual int ExecuteFailed() { return ExceptionExitCode; }

    HANDLE Handle;
    unsigned ThreadId;
    std::atomic<bool> Terminated;
    std::atomic<bool> Finished;
    std::atomic<int> ExitCode;

private:
    static unsigned __stdcall ThreadEntry(void* argument);
    [[noreturn]] void EndThread(int exitCode);
    void ReleaseHandle();
};

#endif
