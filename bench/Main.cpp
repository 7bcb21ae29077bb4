// Benchmark of envcheck under Wine: the whole run on the real platform, how
// cost grows with the machine's size, the view, the executable's size, and
// how long Exit takes at moments of a run of the real program.
// Usage: envcheck_bench [runs] [envcheck.exe to size] [envcheck.exe to run]
// (the shipped 32-bit program is the one sized; Exit runs the build's own).

#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "Clock.h"
#include "ExitBench.h"
#include "ImportTiming.h"
#include "Scale.h"
#include "TimedFunctions.h"
#include "ViewBench.h"
#include "WholeRun.h"

namespace {

const char* const CollectorNames[] = {"system", "DirectX", "processes", "services", "network", "drives", "current"};

struct TGoal {
    std::string Text;
    bool Held;
    std::string Figure;
};
std::vector<TGoal> Goals;

std::string Format(const char* format, double value)
{
    char text[64];
    snprintf(text, sizeof(text), format, value);
    return text;
}

void Goal(const std::string& text, bool held, const std::string& figure) { Goals.push_back({text, held, figure}); }

// The elements, repeated from the first until there are count of them.
std::deque<std::string> Repeated(const std::deque<std::string>& elements, size_t count)
{
    std::deque<std::string> result;
    for (size_t i = 0; i < count && !elements.empty(); ++i) result.push_back(elements[i % elements.size()]);
    return result;
}

// The rows of a report, each one element ending in its line feed, repeated to count.
std::deque<std::string> RowsOf(const std::deque<std::string>& elements, size_t count)
{
    std::string text;
    for (const std::string& element : elements) text += element;
    std::deque<std::string> rows;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        rows.push_back(text.substr(start, end + 1 - start));
    return Repeated(rows, count);
}

std::deque<std::string> WholeRunSection(int runs)
{
    std::vector<TWholeRun> all;
    std::deque<std::string> elements;
    for (int run = 0; run < runs; ++run) all.push_back(RunWholeReport(run == runs - 1 ? &elements : nullptr));

    printf("1. Whole run on this machine (median of %d runs, ms)\n", runs);
    printf("   %-12s %10s %10s %10s\n", "step", "time", "platform", "own");
    auto column = [&](auto pick) {
        std::vector<double> values;
        for (const TWholeRun& run : all) values.push_back(pick(run));
        return Median(values);
    };
    for (size_t i = 0; i < all[0].CollectMs.size(); ++i) {
        const double time = column([&](const TWholeRun& run) { return run.CollectMs[i]; });
        const double platform = column([&](const TWholeRun& run) { return run.PlatformMs[i]; });
        const size_t named = sizeof(CollectorNames) / sizeof(CollectorNames[0]);
        printf("   %-12s %10.1f %10.1f %10.1f\n", i < named ? CollectorNames[i] : "?", time, platform, time - platform);
    }
    const double pass2 = column([](const TWholeRun& run) { return run.Pass2Ms; });
    const double pass2Platform = column([](const TWholeRun& run) { return run.Pass2PlatformMs; });
    const double total = column([](const TWholeRun& run) { return run.TotalMs; });
    const double platform = column([](const TWholeRun& run) { return run.PlatformTotalMs; });
    const double share = column([](const TWholeRun& run) {
        return 100.0 * (run.TotalMs - run.PlatformTotalMs) / run.TotalMs;
    });
    double longest = 0;
    for (const TWholeRun& run : all) longest = std::max(longest, run.LongestAnswerMs);
    printf("   %-12s %10.1f %10.1f %10.1f\n", "pass 2", pass2, pass2Platform, pass2 - pass2Platform);
    printf("   %-12s %10.1f %10.1f %10.1f\n", "Start-Save", total, platform, total - platform);
    printf("   elements %zu; envcheck's own share %.2f %%; longest wait of a sent message %.1f ms\n\n",
           all[0].Elements, share, longest);
    Goal("envcheck's own share of a whole run under 5 %", share < 5, Format("%.2f %%", share));
    // The closing section is the last collector.
    const size_t closing = all[0].CollectMs.size() - 1;
    const double sectionShare =
        column([&](const TWholeRun& run) { return 100.0 * run.CollectMs[closing] / run.TotalMs; });
    const double sectionOwn = column([&](const TWholeRun& run) {
        return 100.0 * (run.CollectMs[closing] - run.PlatformMs[closing]) / run.CollectMs[closing];
    });
    printf("   closing section: %.1f %% of the run, its own share %.2f %%; its calls by family (ms):", sectionShare,
           sectionOwn);
    for (const char* family : {FamilyDxgi, FamilyDirect3D, FamilyConfiguration, FamilyDevices, FamilyPrerequisites,
                               FamilySecurityCenter, FamilyEventLog}) {
        const double ms = column([&](const TWholeRun& run) {
            const auto found = run.FamilyMs.find(family);
            return found != run.FamilyMs.end() ? found->second : 0.0;
        });
        printf(" %s %.1f;", family, ms);
    }
    printf("\n\n");
    Goal("the closing section under a quarter of a whole run", sectionShare < 25, Format("%.1f %%", sectionShare));
    Goal("envcheck's own share of the closing section under 1 %", sectionOwn < 1, Format("%.2f %%", sectionOwn));
    Goal("window answers within 100 ms throughout a run", longest < 100, Format("%.1f ms", longest));
    if (!UntimedFunctions.empty()) {
        printf("   functions found at run time without timing (counted as envcheck's own):");
        for (const std::string& name : UntimedFunctions) printf(" %s", name.c_str());
        printf("\n\n");
    }
    return elements;
}

void ScaleSection(int runs)
{
    const int sizes[] = {100, 1000, 10000};
    std::vector<std::vector<TScalePoint>> points;
    for (int size : sizes) points.push_back(MeasureScale(size, runs));

    printf("2. Scale with fake platforms (median of %d runs)\n", runs);
    printf("   %-14s %10s %10s %10s %12s %12s %7s %10s\n", "", "100 ms", "1,000 ms", "10,000 ms", "us/row 1k",
           "us/row 10k", "ratio", "rows 10k");
    for (size_t what = 0; what < points[0].size(); ++what) {
        const TScalePoint& at100 = points[0][what];
        const TScalePoint& at1k = points[1][what];
        const TScalePoint& at10k = points[2][what];
        const double perRow1k = 1000.0 * at1k.Ms / at1k.Rows;
        const double perRow10k = 1000.0 * at10k.Ms / at10k.Rows;
        const double ratio = perRow10k / perRow1k;
        printf("   %-14s %10.2f %10.2f %10.2f %12.2f %12.2f %7.2f %10zu\n", at1k.What.c_str(), at100.Ms, at1k.Ms,
               at10k.Ms, perRow1k, perRow10k, ratio, at10k.Rows);
        Goal("per row at 10,000 within 1.5x of 1,000: " + at1k.What, ratio <= 1.5, Format("%.2fx", ratio));
    }
    printf("   (pass 2 rows are elements; the longest wait of a sent message during pass 2 at 10,000: %.1f ms)\n\n",
           points[2].back().LongestAnswerMs);
}

void Pass2Section(const std::deque<std::string>& report, int runs)
{
    const std::deque<std::string> elements = Repeated(report, 10000);
    std::vector<double> times, answers;
    for (int run = 0; run < runs; ++run) {
        TGivenLines lines(elements);
        std::vector<TBaseInfo*> list = {&lines};
        double answer = 0;
        times.push_back(MeasurePass2(list, answer));
        answers.push_back(answer);
    }
    const double pass2 = Median(times);
    printf("3. Pass 2 of 10,000 elements of this machine's report: %.1f ms (median of %d), longest wait of a sent "
           "message %.1f ms\n",
           pass2, runs, Median(answers));
    Goal("pass 2 of a 10,000-element report under 250 ms", pass2 < 250, Format("%.1f ms", pass2));
}

void ViewSection(const std::deque<std::string>& report, int runs)
{
    std::vector<double> appends, tops, bottoms;
    size_t rows = 0;
    for (int run = 0; run < runs; ++run) {
        const TViewFigures figures = MeasureView(RowsOf(report, 100000), 21);
        appends.push_back(figures.AppendMs);
        tops.push_back(figures.PaintTopMs);
        bottoms.push_back(figures.PaintBottomMs);
        rows = figures.Rows;
    }
    const double top = Median(tops);
    const double bottom = Median(bottoms);
    printf("4. View: appending 100,000 elements %.1f ms; one paint at the top %.3f ms, at the bottom %.3f ms "
           "(%zu rows; medians of %d)\n",
           Median(appends), top, bottom, rows, runs);
    Goal("paint at the bottom of 100,000 rows within 2x of the top", bottom >= 0 && bottom <= 2 * top,
         Format("%.2fx", bottom / top));
}

void SizeSection(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        printf("5. Executable: %s not found\n", path);
        Goal("executable under 1.25 MiB", false, "not found");
        return;
    }
    const double bytes = static_cast<double>(data.nFileSizeLow);
    printf("5. Executable (stripped): %.0f bytes = %.3f MiB (%s)\n\n", bytes, bytes / 1048576.0, path);
    Goal("executable under 1.25 MiB", bytes < 1.25 * 1048576.0, Format("%.0f bytes", bytes));
}

void ExitSection(const char* path, int runs)
{
    const TExitTimes times = MeasureExit(path, runs);
    if (times.StartError != 0) {
        printf("6. Exit: %s could not be started (error %lu): nothing measured\n\n", path,
               static_cast<unsigned long>(times.StartError));
        Goal("Exit at any moment: the program starts", false, "error " + std::to_string(times.StartError));
        return;
    }
    printf("6. Exit during a run of the real program (%d moments over a %.0f ms run, medians of %d runs)\n",
           times.Moments, times.WholeRunMs, runs);
    printf("   idle exit %.0f ms; longest: dialog gone %.0f ms, process ended %.0f ms; failed moments %d\n\n",
           times.IdleEndedMs, times.LongestGoneMs, times.LongestEndedMs, times.Failures);
    // The collector running at the press may finish; nothing after it runs.
    Goal("Exit at any moment: dialog gone within a whole run + 1 s",
         times.Failures == 0 && times.LongestGoneMs <= times.WholeRunMs + 1000, Format("%.0f ms", times.LongestGoneMs));
    Goal("Exit at any moment: process ended within that + an idle exit",
         times.Failures == 0 && times.LongestEndedMs <= times.WholeRunMs + 1000 + times.IdleEndedMs,
         Format("%.0f ms", times.LongestEndedMs));
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const char* exe = argc > 2 ? argv[2] : "envcheck.exe";
    const char* running = argc > 3 ? argv[3] : exe;
    setvbuf(stdout, nullptr, _IONBF, 0);
    TimeWindowCalls();

    const std::deque<std::string> report = WholeRunSection(runs);
    ScaleSection(runs);
    Pass2Section(report, runs);
    ViewSection(report, runs);
    SizeSection(exe);
    ExitSection(running, runs);

    printf("Goals\n");
    bool all = true;
    for (const TGoal& goal : Goals) {
        printf("   %-4s %-62s %s\n", goal.Held ? "held" : "MISS", goal.Text.c_str(), goal.Figure.c_str());
        all = all && goal.Held;
    }
    return all ? 0 : 1;
}
