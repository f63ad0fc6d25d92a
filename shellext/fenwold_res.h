// Resource ids of fenwold.dll (shared by the resource script and the code).
#pragma once

#define IDS_HOST_ADAPTER_NAME 1
#define IDS_DEVICE_NAME 2
#define IDS_MANAGER_COLUMN 3
#define IDS_VENDOR_REVISION 4
#define IDS_FOLDER_NAME 5
#define IDS_ARRANGE_ICONS 6
#define IDS_VIEW 7
#define IDS_BY_NAME 8
#define IDS_BY_MINIPORT 9
#define IDS_BY_SCSI_ID 10
#define IDS_LARGE_ICONS 11
#define IDS_SMALL_ICONS 12
#define IDS_LIST 13
#define IDS_DETAILS 14
#define IDS_PROPERTIES 15
#define IDS_EXPLORE 18
#define IDS_OPEN 19
#define IDS_BY_VENDOR 20
#define IDS_BY_DEVICE_NAME 21
#define IDS_BY_TARGET 22
#define IDS_SELDARN_APPLICATION 28
#define IDS_SELDARN 31
#define IDS_NO_CORVATH 40
#define IDS_SELDARN_ON_DEVICE 41
#define IDS_NO_LIVE_RECORD 42

// The folder's icon (index 0 of the module, named by the DefaultIcon key).
#define IDI_FOLDER 100
