#ifndef ENVCHECK_APP_COMMANDLINE_H
#define ENVCHECK_APP_COMMANDLINE_H

#include <string>

// What the whole command line (program name first) asks for. A first
// argument naming the report option in any letter case ("/report FILE",
// "-report FILE", "/report:FILE") always means the run without a window; it
// is a usage error without exactly one non-empty FILE. Anything else, a file
// dropped on the program included, opens the dialog.
struct TCommandLine {
    enum TMode { Dialog, Report, Usage };
    TMode Mode = Dialog;
    std::wstring ReportPath;
};

TCommandLine ReadCommandLine(const wchar_t* commandLine);

#endif
