// Resource ids of the SCSI Explorer window, shared by the Control Panel applet and the
// stand-alone program. Plain #defines: the resource compiler reads this file too.
#pragma once

// Dialog templates: the applet's and the program's (window class "PellmarkDialog").
#define IDD_EXPLORER_APPLET 100
#define IDD_EXPLORER_STANDALONE 102
#define IDC_ADAPTER_LIST 1000
// The status bar's id, as control bars are numbered.
#define IDW_STATUS_BAR 59393

#define IDR_EXPLORER_MENU 101
#define IDR_ITEM_MENU 102
#define IDR_BACKGROUND_MENU 103

// Commands. Their prompt in the status bar is the string with the same id.
#define ID_FILE_OPEN 57601
#define ID_APPLET_CLOSE 32770
#define ID_HELP_TOPICS 32771
#define ID_HELP_ABOUT 32772
#define ID_ITEM_PROPERTIES 32773
#define ID_VIEW_STATUS_BAR 32778
#define ID_VIEW_LARGE_ICONS 32779
#define ID_VIEW_SMALL_ICONS 32780
#define ID_VIEW_LIST 32781
#define ID_VIEW_DETAILS 32782
#define ID_ARRANGE_BY_DRIVER 32783
#define ID_ARRANGE_BY_SCSI_ID 32784
#define ID_ARRANGE_BY_NAME 32785
#define ID_ITEM_SELDARN 32786
#define ID_APPLET_PROPERTIES 32787
#define ID_APPLET_SELDARN 32788
// The program's File menu numbers these differently.
#define ID_STANDALONE_SELDARN 32774
#define ID_STANDALONE_PROPERTIES 32775
#define ID_STANDALONE_CLOSE 57602

// "The computer has %u logical SCSI host adapter(s). "
#define IDS_ADAPTER_COUNT 57345
