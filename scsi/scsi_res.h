// Resource ids of the SCSI command layer's fragment (scsi.rc), which Corvath's own
// resource script includes. Plain #defines only: the resource compiler reads this file.
#pragma once

// Caption of Corvath's messages, shared by every window of the server.
#define IDS_SUITE_CAPTION 32848
// The application title: caption of the "not supported" message and of other page
// messages that the framework's applications title with their own name.
#define IDS_APP_TITLE 57344

#define IDS_NO_MANAGER 107
#define IDS_DEVICE_BUSY 1012
#define IDS_REQUEST_ABORTED 1013
#define IDS_NOT_SUPPORTED 1019
#define IDS_SCSI_ERROR 1020

// Host adapter status texts.
#define IDS_HA_NO_ERROR 1041
#define IDS_HA_SELECTION_TIMEOUT 1042
#define IDS_HA_DATA_OVERRUN 1043
#define IDS_HA_BUS_FREE 1044
#define IDS_HA_PHASE_FAILURE 1045
// Target status texts.
#define IDS_TS_GOOD 1046
#define IDS_TS_CHECK_CONDITION 1047
#define IDS_TS_BUSY 1048
// Sense key texts.
#define IDS_SK_NO_SENSE 1049
#define IDS_SK_RECOVERED_ERROR 1050
#define IDS_SK_NOT_READY 1051
#define IDS_SK_MEDIUM_ERROR 1052
#define IDS_SK_HARDWARE_ERROR 1053
#define IDS_SK_ILLEGAL_REQUEST 1054
#define IDS_SK_UNIT_ATTENTION 1055
#define IDS_SK_DATA_PROTECT 1056
#define IDS_SK_VOLUME_OVERFLOW 1057
#define IDS_SK_MISCOMPARE 1058

// "SCSI Command Failure" and its value fields.
#define IDD_SCSI_COMMAND_FAILURE 1609
#define IDC_CDB_SENT 1610
#define IDC_ADAPTER_STATUS 1611
#define IDC_TARGET_STATUS 1612
#define IDC_SENSE_KEY 1613
#define IDC_SENSE_CODE 1614
#define IDC_SENSE_QUALIFIER 1615
