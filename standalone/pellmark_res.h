// Resource ids of Pellmark, the stand-alone SCSI Explorer program.
#pragma once

#include "explorer/explorer_res.h"

#define IDI_PROGRAM 128

#define IDS_NO_CORVATH 102
#define IDS_NO_ADAPTERS 103
#define IDS_COLUMN_HOST_ADAPTER 104
#define IDS_COLUMN_SCSI_ID 105
#define IDS_SETTINGS_KEY 106
#define IDS_COLUMN_DRIVER 107
#define IDS_PROGRAM_TITLE 128
#define IDS_COLUMN_DEVICES 129
#define IDS_CAPTION 130
