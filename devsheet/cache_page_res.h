// Resource ids of the R/W Cache page (cache_page.rc). Its heading 1516 and separator
// 1238 are those of the other device pages (devsheet_res.h), "Yes"/"No" come from there
// too, the caption 32848 and the not-supported message from the SCSI layer's fragment.
#pragma once

#define IDD_DEV_CACHE 1456
#define IDC_DEV_CACHE_ICON 1593
#define IDC_DEV_READ_CACHE 1242
#define IDC_DEV_WRITE_CACHE 1243
#define IDC_DEV_READ_SUPPORTED 3505
#define IDC_DEV_READ_CURRENT 1244
#define IDC_DEV_READ_DEFAULT 1245
#define IDC_DEV_WRITE_SUPPORTED 3506
#define IDC_DEV_WRITE_CURRENT 1583
#define IDC_DEV_WRITE_DEFAULT 1585
// Labels that carry their value's help topic.
#define IDC_DEV_READ_SUPPORTED_LABEL 3529
#define IDC_DEV_READ_CURRENT_LABEL 1589
#define IDC_DEV_READ_DEFAULT_LABEL 1591
#define IDC_DEV_WRITE_SUPPORTED_LABEL 3530
#define IDC_DEV_WRITE_CURRENT_LABEL 1590
#define IDC_DEV_WRITE_DEFAULT_LABEL 1592

#define IDS_DEV_CACHE_NONE 118          // "None"
#define IDS_DEV_CACHE_ENABLED 32893     // "Enabled"
#define IDS_DEV_CACHE_DISABLED 32894    // "Disabled"
#define IDS_DEV_READ_CACHE_FAILED 32957
#define IDS_DEV_WRITE_CACHE_MAXTOR 32958
#define IDS_DEV_WRITE_CACHE_FACTORY_OFF 32959
#define IDS_DEV_WRITE_CACHE_FAILED 32960
