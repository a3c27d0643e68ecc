/* Identifiers of the program's resources. Plain #defines: the resource
   compiler reads this file as well as the C++ compiler. */
#pragma once

#include "../control_ids.h"

/* The About box, the menu and the accelerators are kept with the program's
   resources but nothing loads them: the main dialog has no menu. */
#define IDD_ABOUT 103
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDI_WRENBOLT 107
#define IDI_WRENBOLT_SMALL 108
#define IDR_MENU 109
#define IDR_ACCEL 109

/* Two strings with the program's name. */
#define IDS_APP_TITLE 103
#define IDS_APP_NAME 109

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
