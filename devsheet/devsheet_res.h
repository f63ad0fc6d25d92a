// Resource ids of the device property sheet (devsheet.rc). The device-type names
// (32862..32872) and "%s  %s" (32874) come from the inventory's and the device list's
// fragments; the sheet title "%s %s Properties" (105) from the server module's.
#pragma once

// General page.
#define IDD_DEV_GENERAL 1000
#define IDC_DEV_TITLE 1516
#define IDC_DEV_ICON 1554
#define IDC_DEV_TYPE 1592
#define IDC_DEV_SCSI_ID 1215
#define IDC_DEV_VENDOR 1524
#define IDC_DEV_PRODUCT 1525
#define IDC_DEV_REVISION 1526
#define IDC_DEV_ANSI 1527
#define IDC_DEV_ISO 1529
#define IDC_DEV_REMOVABLE 1532
#define IDC_DEV_CAPACITY 1530
#define IDC_DEV_PICTURE 1598
#define IDC_DEV_SEPARATOR 1238
// Labels that carry their value's help topic.
#define IDC_DEV_ANSI_LABEL 1631
#define IDC_DEV_ISO_LABEL 1224
#define IDC_DEV_REMOVABLE_LABEL 1632
#define IDC_DEV_CAPACITY_LABEL 1555

// SCSI Features page (title 1516 and separator 1238 as on the General page). The
// feature lines' label and mark ids are in features_page.h.
#define IDD_DEV_FEATURES 1419
#define IDC_DEV_FEATURES_ICON 1593
#define IDC_DEV_RATE_LABEL 1628
#define IDC_DEV_RATE_MARK 1235
#define IDC_DEV_RATE 1289
#define IDB_DEV_SUPPORTED 1060
#define IDB_DEV_NOT_SUPPORTED 1061

// Pictures: device pictures in 16 and 256 colours, and the separator line.
#define IDB_DEV_DISK16 1045
#define IDB_DEV_DISK256 1047
#define IDB_DEV_CDROM16 1048
#define IDB_DEV_CDROM256 1049
#define IDB_DEV_TAPE16 1050
#define IDB_DEV_TAPE256 1051
#define IDB_DEV_SCANNER16 1052
#define IDB_DEV_SCANNER256 1053
#define IDB_DEV_PRINTER16 1054
#define IDB_DEV_PRINTER256 1055
#define IDB_DEV_OTHER16 1056
#define IDB_DEV_OTHER256 1057
#define IDB_DEV_WORM16 1058
#define IDB_DEV_WORM256 1059
#define IDB_DEV_SEPARATOR 1067

// Strings.
#define IDS_DEV_ASYNC 133            // "Async"
#define IDS_DEV_RATE 1218            // "%s MB/Sec"
#define IDS_DEV_SCSI_ID 32855        // "SCSI ID %u"
#define IDS_DEV_YES 32860
#define IDS_DEV_NO 32861
#define IDS_DEV_ANSI_VERSION 32873   // "SCSI - %d"
#define IDS_DEV_PRODUCT 32890        // "Product model is %s"
#define IDS_DEV_REVISION 32891       // "Firmware revision is %s"
#define IDS_DEV_TYPE 32892           // "Type %s"
#define IDS_DEV_CAPACITY 32967       // "%lu MBytes"
#define IDS_DEV_NOT_AVAILABLE 32968  // "N/A"
// Accessible names of the pictures.
#define IDS_DEV_ACC_PICTURE 41001    // "Picture of the device"
