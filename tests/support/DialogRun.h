#ifndef ENVCHECK_TESTS_SUPPORT_DIALOGRUN_H
#define ENVCHECK_TESTS_SUPPORT_DIALOGRUN_H

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

typedef std::function<::testing::AssertionResult(HWND dialog)> TDrive;

// Runs the real dialog on this thread while a driver thread drives it once it
// is ready. Whatever happens, the driver then asks the dialog to exit, so a
// failed wait ends the test at once with what it saw. Nothing of the run may
// outlive the dialog.
INT_PTR RunDialog(const TDrive& drive);

#endif
