#ifndef ENVCHECK_BENCH_VIEWBENCH_H
#define ENVCHECK_BENCH_VIEWBENCH_H

#include <deque>
#include <string>

struct TViewFigures {
    double AppendMs;       // all elements, on the window's own thread
    double PaintTopMs;     // one paint with the first row at the top
    double PaintBottomMs;  // one paint scrolled to the last page
    size_t Rows;
};

// Appends the elements (one row each) to envcheck's dialog and times paints.
TViewFigures MeasureView(const std::deque<std::string>& elements, int paints);

#endif
