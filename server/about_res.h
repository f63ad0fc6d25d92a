// Resource ids of the About box (a fragment of corvath.dll's resources).
#pragma once

#define IDD_ABOUT 102
#define IDC_ABOUT_ICON 1303
#define IDC_ABOUT_FRAME 1304
#define IDC_ABOUT_VERSION 1229
#define IDC_ABOUT_NOTICE 1235
#define IDB_ABOUT_PICTURE 1078

#define IDS_ABOUT_NOTICE 32886   // copyright and notice, shown in the rich-edit control
#define IDS_ABOUT_TITLE 32888    // "SCSI Explorer"
#define IDS_ABOUT_VERSION 32889  // "Version %s"
