#include "support/DialogDriver.h"

#include <sstream>
#include <vector>

#include "app/resource.h"
#include "info/WideText.h"
#include "support/Await.h"

const char* const DialogCaption = "環境チェック  Version 20120508";

namespace {

const int Controls[] = {IDC_SAVE, IDCANCEL, IDC_VIEW, IDC_START, IDC_NOTICE};

struct TSearch {
    DWORD ProcessId;
    std::string Caption;
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<TSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    // Wide, and the caption sought converted from cp932: right whatever this
    // process's code page is.
    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, sizeof(caption) / sizeof(caption[0]));
    if (owner == search->ProcessId && WideText(search->Caption, ReportCodePage) == caption)
        search->Found.push_back(window);
    return TRUE;
}

std::vector<HWND> DialogsOf(DWORD processId) { return TopLevelWindows(processId, DialogCaption); }

bool HasEveryControl(HWND dialog)
{
    for (int id : Controls)
        if (GetDlgItem(dialog, id) == nullptr) return false;
    return true;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD processId, const std::string& caption)
{
    TSearch search = {processId, caption, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND FindReadyDialog(DWORD processId)
{
    for (HWND dialog : DialogsOf(processId))
        if (HasEveryControl(dialog) && IsWindowVisible(dialog)) return dialog;
    return nullptr;
}

namespace {

std::string DescribeDialogs(DWORD processId)
{
    std::ostringstream seen;
    const std::vector<HWND> dialogs = DialogsOf(processId);
    if (dialogs.empty()) seen << "no window captioned " << DialogCaption;
    for (HWND dialog : dialogs) {
        seen << "window " << dialog << ": " << (IsWindowVisible(dialog) ? "shown" : "not shown");
        for (int id : Controls)
            if (GetDlgItem(dialog, id) == nullptr) seen << ", no control " << id;
        seen << "; ";
    }
    return seen.str();
}

}  // namespace

::testing::AssertionResult AwaitReadyDialog(DWORD processId, HWND& dialog)
{
    dialog = nullptr;
    return Await("the dialog to be ready", [&] { return (dialog = FindReadyDialog(processId)) != nullptr; },
                 WindowLimit, [&] { return DescribeDialogs(processId); });
}

::testing::AssertionResult Press(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    if (button == nullptr) return ::testing::AssertionFailure() << "no control " << id << " in " << dialog;
    if (!IsWindowEnabled(button)) return ::testing::AssertionFailure() << "control " << id << " is disabled";
    if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)))
        return ::testing::AssertionFailure() << "press of " << id << " not posted, error " << GetLastError();
    return ::testing::AssertionSuccess();
}

bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
