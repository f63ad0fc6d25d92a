// Resource ids of the Mode Parameters page (mode_page.rc). Its heading 1516 and
// separator 1238 are those of the other device pages (devsheet_res.h); "Yes", "No",
// "Enabled" and "Disabled" come from the sheet's other fragments. The page and parameter
// names (32896 to 32956) are numbered in the page's tables (mode_logic.h).
#pragma once

#define IDD_DEV_MODE 1431
#define IDC_DEV_MODE_ICON 1593
#define IDC_DEV_MODE_PAGES 1617
#define IDC_DEV_MODE_PARAMETERS 1581
#define IDC_DEV_MODE_PARAMETERS_LABEL 1620
#define IDC_DEV_MODE_VALUES_GROUP 1602
#define IDC_DEV_MODE_CURRENT_LABEL 1589
#define IDC_DEV_MODE_SAVED_LABEL 1590
#define IDC_DEV_MODE_DEFAULT_LABEL 1591
#define IDC_DEV_MODE_CURRENT 1582
#define IDC_DEV_MODE_SAVED 1583
#define IDC_DEV_MODE_DEFAULT 1584

#define IDS_DEV_MODE_UNAVAILABLE 32895
