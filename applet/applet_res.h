// Resource ids of Dunmere, the Control Panel applet.
#pragma once

#include "explorer/explorer_res.h"

#define IDI_APPLET 108

#define IDS_SETTINGS_KEY 32774
#define IDS_COLUMN_HOST_ADAPTER 32775
#define IDS_COLUMN_DRIVER 32776
#define IDS_COLUMN_SCSI_ID 32789
#define IDS_COLUMN_DEVICES 32790
#define IDS_NO_CORVATH 57602
#define IDS_NO_ADAPTERS 57603
#define IDS_APPLET_NAME 57604
#define IDS_APPLET_INFO 57605
#define IDS_COM_FAILED 57606
#define IDS_CAPTION 57607
