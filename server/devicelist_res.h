// Resource ids of the device list window (template, menus, commands, strings).
#pragma once

#define IDD_DEVICE_LIST 150
#define IDC_DEVICE_LIST 1003
#define IDR_DEVICE_LIST_MENU 169
#define IDR_DEVICE_CTX_MENU 171
#define IDR_DEVICE_BKGD_MENU 172

// Commands; each id is also the id of its status-bar prompt string.
#define ID_DEVICE_PROPERTIES 32771
#define ID_HELP_TOPICS 32775
#define ID_APP_ABOUT_VELMORA 32776
#define ID_DEVICE_OPEN 32785
#define ID_DEVICE_CLOSE 32786
#define ID_VIEW_STATUS_BAR 32787
#define ID_VIEW_LARGE_ICONS 32788
#define ID_VIEW_SMALL_ICONS 32789
#define ID_VIEW_LIST 32790
#define ID_VIEW_DETAILS 32791
#define ID_ARRANGE_BY_TARGET 32792
#define ID_ARRANGE_BY_VENDOR 32793
#define ID_ARRANGE_BY_NAME 32794
#define ID_DEVICE_CTX_PROPERTIES 32805

// Strings.
#define IDS_DEVICES_TITLE 128          // "%s Devices"
#define IDS_COLUMN_VENDOR 129
#define IDS_COLUMN_NAME 102
#define IDS_COLUMN_TYPE 103
#define IDS_COLUMN_SCSI_ID 112
#define IDS_COLUMN_REVISION 114
// IDS_VENDOR_PRODUCT ("%s  %s") is shared with the sheets.
#include "pages/sheet_res.h"
#define IDS_ATTACHED_DEVICES 57345     // "%s has %u attached device(s)."
