// Resource ids of the inventory's fragment (inventory.rc).
#pragma once

#define IDS_ADAPTER_NOT_SUPPORTED 1228   // "A SCSI Host Adapter with ... %.4Xh ..."
#define IDS_FUNCTION_NOT_SUPPORTED 1229  // "The WinVRAX version ... %s function. ..."
#define IDS_NO_ADAPTERS 32835
#define IDS_MANAGER_NOT_INITIALISED 32836
#define IDS_NO_RIGHTS 32837  // the manager cannot open the devices: not an administrator
#define IDS_DEVTYPE_DISK 32862
#define IDS_DEVTYPE_TAPE 32863
#define IDS_DEVTYPE_PRINTER 32864
#define IDS_DEVTYPE_PROCESSOR 32865
#define IDS_DEVTYPE_WORM 32866
#define IDS_DEVTYPE_CDROM 32867
#define IDS_DEVTYPE_SCANNER 32868
#define IDS_DEVTYPE_OPTICAL 32869
#define IDS_DEVTYPE_CHANGER 32870
#define IDS_DEVTYPE_COMMUNICATIONS 32871
#define IDS_DEVTYPE_UNKNOWN 32872
#define IDS_GENERIC_ADAPTER 32973
