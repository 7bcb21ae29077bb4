#ifndef ENVCHECK_BENCH_EXITBENCH_H
#define ENVCHECK_BENCH_EXITBENCH_H

// How long Exit takes at moments spread over a run of the real program.
struct TExitTimes {
    double WholeRunMs;   // a headless run, for the spread and the goal
    double IdleEndedMs;  // Exit before Start: Wine's own cost of ending the program
    double LongestGoneMs;
    double LongestEndedMs;
    int Moments;
    int Failures;  // moments where the dialog never came or never went
};

TExitTimes MeasureExit(const char* envcheck, int runs);

#endif
