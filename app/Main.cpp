#include <windows.h>

#include "app/CommandLine.h"
#include "app/HeadlessReport.h"
#include "app/LibrarySearch.h"
#include "app/MainDialog.h"
#include "view/CustomEdit.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RestrictLibrarySearch();
    // Wide: a path outside the code page must name the file it names.
    const TCommandLine command = ReadCommandLine(GetCommandLineW());
    if (command.Mode != TCommandLine::Dialog) return RunHeadless(command);

    RegisterCustomEdit(instance);
    TMainDialog dialog;
    return static_cast<int>(dialog.Run(instance));
}
