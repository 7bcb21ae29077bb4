#include <windows.h>

#include <string>

#include "app/HeadlessReport.h"
#include "app/LibrarySearch.h"
#include "app/MainDialog.h"
#include "view/CustomEdit.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    RestrictLibrarySearch();
    const std::string reportFile = ReportFileArgument(commandLine);
    if (!reportFile.empty()) return RunHeadlessReport(reportFile);

    RegisterCustomEdit(instance);
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0));
}
