#ifndef ENVCHECK_BENCH_EXITBENCH_H
#define ENVCHECK_BENCH_EXITBENCH_H

#include <windows.h>

// How long Exit takes at moments spread over a run of the real program.
struct TExitTimes {
    double WholeRunMs;   // a headless run, for the spread and the goal
    double IdleEndedMs;  // Exit before Start: Wine's own cost of ending the program
    double LongestGoneMs;
    double LongestEndedMs;
    int Moments;
    int Failures;  // moments where the dialog never came or never went
    DWORD StartError;  // why the program could not be started at all; 0 when it could
};

TExitTimes MeasureExit(const char* envcheck, int runs);

#endif
