// Identifiers of the wedge's resources and menu commands, shared by
// Sarnu.rc and the code.
#pragma once

#define IDR_ACCELERATORS 3
#define IDI_SARNU 101
#define IDD_ABOUT 103
#define IDD_COUNTER 105
#define IDD_SPLASH 106
#define IDB_SPLASH 107
#define IDC_SPLASH_PICTURE 1022
#define IDC_ABOUT_ICON 1001
#define IDC_ABOUT_PRODUCT 1002

#define IDM_EXIT 40002
#define IDM_ABOUT 40003
#define IDM_SETTING 40004
#define IDM_EXTENSION 40005
