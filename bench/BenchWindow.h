#ifndef ENVCHECK_BENCH_BENCHWINDOW_H
#define ENVCHECK_BENCH_BENCHWINDOW_H

#include <windows.h>

#include <atomic>

struct TSaveEnabled {
    double AtMs;
    double PlatformMs;  // platform time summed up to that moment
};

// envcheck's own dialog, with its view attached as the program attaches it,
// and the moment Save became enabled.
class TBenchDialog {
public:
    TBenchDialog();
    ~TBenchDialog();
    TBenchDialog(const TBenchDialog&) = delete;
    TBenchDialog& operator=(const TBenchDialog&) = delete;

    HWND Window() const { return Dialog; }
    // Serves the dialog until Save is enabled.
    TSaveEnabled PumpUntilSaveEnabled();

private:
    HWND Dialog;
};

// Sends the dialog a message every few milliseconds from a thread of its own
// and keeps the longest time it took to be handled.
class TAnswerProbe {
public:
    explicit TAnswerProbe(HWND window);
    ~TAnswerProbe();
    TAnswerProbe(const TAnswerProbe&) = delete;
    TAnswerProbe& operator=(const TAnswerProbe&) = delete;
    double LongestMs();

private:
    static DWORD WINAPI Probe(LPVOID self);
    HWND Window;
    HANDLE Thread;
    std::atomic<bool> Stop{false};
    std::atomic<long long> Longest{0};  // microseconds
};

#endif
