#ifndef ENVCHECK_BENCH_IMPORTTIMING_H
#define ENVCHECK_BENCH_IMPORTTIMING_H

// The view and the collection run call user32 and gdi32 directly, not
// through a seam: their calls are timed as the platform's by pointing this
// executable's import slots for them at timing stand-ins.
void TimeWindowCalls();

#endif
