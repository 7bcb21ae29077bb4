#ifndef ENVCHECK_APP_RESOURCE_H
#define ENVCHECK_APP_RESOURCE_H

// The numbers of the program's resources and of the dialog's controls, shared
// by envcheck.rc, the dialog's code and the tests (so: macros).
#define IDD_MAIN 101
#define IDI_MAIN 102
#define IDC_SAVE 1001
#define IDC_VIEW 1003
#define IDC_START 1004
#define IDC_NOTICE 1005
// The view's context menu.
#define IDM_COPYALL 40001

#endif
