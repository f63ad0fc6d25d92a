// Resource ids of the host adapter property sheet (adaptersheet.rc). The sheet title
// "%s Properties" (121) is the server module's, "SCSI ID %u" (32855) the device sheet's,
// the corner logo (bitmap 1067) the device sheet's separator picture, and the tab strip's
// help text (32847) the help machinery's.
#pragma once

// General page.
#define IDD_HA_GENERAL 117
#define IDC_HA_HEADING 1516
#define IDC_HA_LOCATION 1213
#define IDC_HA_DEVICES 1214
#define IDC_HA_SCSI_ID 1215
#define IDC_HA_IO_PORT 1216
#define IDC_HA_INTERRUPT 1217
#define IDC_HA_ALIGNMENT 1231
#define IDC_HA_MAX_TRANSFER 1232
#define IDC_HA_RESIDUAL 1233
#define IDC_HA_LOGO 1238
#define IDC_HA_PICTURE 1597

// PCI Configuration page.
#define IDD_HA_PCI 1457
#define IDC_HA_PCI_LIST 1279

// Pictures: the adapter in 256 and 16 colours; the corner logo is the device sheet's.
#define IDB_HA_PICTURE256 1043
#define IDB_HA_PICTURE16 1044
#define IDB_HA_LOGO 1067

// Strings of the General page.
#define IDS_HA_LOCATION 32854      // "PCI bus %u, device %u, function %u "
#define IDS_HA_SCSI_ID 32855       // "SCSI ID %u"
#define IDS_HA_DEVICES 32856       // "%u maximum SCSI devices"
#define IDS_HA_IO_PORT 32857       // "I/O port base address %Xh"
#define IDS_HA_INTERRUPT 32858     // "Interrupt Request %.2Xh"
#define IDS_HA_HEADING 32859       // "%s %s"
#define IDS_HA_SUPPORTED 32875     // "supported"
#define IDS_HA_NOT_SUPPORTED 32876 // "not supported"
#define IDS_HA_ALIGNED 32878       // "Data buffer is %s aligned"
#define IDS_HA_RESIDUAL 32879      // "Residual byte count %s"
#define IDS_HA_TRANSFER_KB 32880   // "%lu KB maximum transfer "
#define IDS_HA_BYTE 32881          // "byte"
#define IDS_HA_WORD 32882          // "word"
#define IDS_HA_DWORD 32883         // "double-word"
#define IDS_HA_N_BYTE 32884        // "%u-byte"
#define IDS_HA_TRANSFER_MB 32885   // "%lu MB maximum transfer"

// Strings of the PCI Configuration page: the field names and the column headers.
#define IDS_PCI_VENDOR_ID 1196
#define IDS_PCI_DEVICE_ID 1197
#define IDS_PCI_COMMAND 1198
#define IDS_PCI_STATUS 1199
#define IDS_PCI_REVISION_ID 1200
#define IDS_PCI_PROG_IF 1201
#define IDS_PCI_SUB_CLASS 1202
#define IDS_PCI_BASE_CLASS 1203
#define IDS_PCI_CACHE_LINE 1204
#define IDS_PCI_LATENCY 1205
#define IDS_PCI_HEADER_TYPE 1206
#define IDS_PCI_BIST 1207
#define IDS_PCI_BASE_ADDRESS 1208  // "Base Address %u"
#define IDS_PCI_CIS 1209
#define IDS_PCI_SUB_VENDOR_ID 1210
#define IDS_PCI_SUB_SYSTEM_ID 1211
#define IDS_PCI_ROM_BASE 1212
#define IDS_PCI_RESERVED 1213
#define IDS_PCI_INTERRUPT_LINE 1214
#define IDS_PCI_INTERRUPT_PIN 1215
#define IDS_PCI_MIN_GRANT 1216
#define IDS_PCI_MAX_LATENCY 1217
#define IDS_PCI_FIELD 32962        // "Field"
#define IDS_PCI_VALUE 32963        // "Value"
// Accessible name of the adapter picture.
#define IDS_HA_ACC_PICTURE 41011   // "Picture of the host adapter"
