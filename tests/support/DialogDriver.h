#ifndef ENVCHECK_TESTS_SUPPORT_DIALOGDRIVER_H
#define ENVCHECK_TESTS_SUPPORT_DIALOGDRIVER_H

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

extern const char* const DialogCaption;

// The top-level windows of a process with the given caption, shown or not.
std::vector<HWND> TopLevelWindows(DWORD processId, const std::string& caption);

// The main dialog of a process once it can be driven: every control created
// and the window shown, which the dialog manager does only after the dialog's
// initialisation returned. A dialog found by its caption alone may still lack
// its controls. Null when there is none such.
HWND FindReadyDialog(DWORD processId);

// Waits for that dialog; on time-out the failure lists each window of its
// caption and which of the conditions it met. The dialog, or null, in dialog.
::testing::AssertionResult AwaitReadyDialog(DWORD processId, HWND& dialog);

// Presses a button of the dialog as the button reports a click: BN_CLICKED
// posted to the dialog. Unlike BM_CLICK (a press and a release of the button
// itself) no capture or focus change between the two can cancel it, and a
// missing or disabled button fails here instead of sending the press nowhere.
::testing::AssertionResult Press(HWND dialog, int id);

bool IsEnabled(HWND dialog, int id);

#endif
