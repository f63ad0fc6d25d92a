// Resource ids of the Defect List page (defect_page.rc). Its heading 1516 and separator
// 1238 are those of the other device pages (devsheet_res.h); the busy and aborted
// messages and the caption 32848 come from the SCSI layer's fragment.
#pragma once

#define IDD_DEV_DEFECTS 1429
#define IDC_DEV_DEFECTS_ICON 1593
#define IDC_DEV_PRIMARY_LIST 1559
#define IDC_DEV_GROWN_LIST 1560
#define IDC_DEV_DEFECT_LIST 1515
#define IDC_DEV_DEFECT_DESCRIPTION 1561
#define IDC_DEV_DEFECT_TOTAL_LABEL 1239
#define IDC_DEV_DEFECT_TOTAL 1237

#define IDS_DEV_DEFECTS_UNREADABLE 1011
#define IDS_DEV_DEFECT_CYLINDER 1014   // "Cylinder: %1"
#define IDS_DEV_DEFECT_HEAD 1015       // "      Head: %1"
#define IDS_DEV_DEFECT_SECTOR 1016     // "      Sector: %1"
#define IDS_DEV_NO_PRIMARY 1017
#define IDS_DEV_NO_GROWN 1018
#define IDS_DEV_GROWN_DESCRIPTION 1022
#define IDS_DEV_PRIMARY_DESCRIPTION 1023
