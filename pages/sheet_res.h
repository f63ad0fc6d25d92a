// Resource ids of the strings the sheets' titles are made of. The texts stay in the
// server's fragments (module.rc, devicelist.rc), which the device list shares.
#pragma once

// Titles of the sheets CorvathObj opens, each filled with the record's names.
#define IDS_DEVICE_SHEET_TITLE 105   // "%s %s Properties": vendor, product
#define IDS_ADAPTER_SHEET_TITLE 121  // "%s Properties": displayName
#define IDS_SELDARN_SHEET_TITLE 122  // "%s Seldarn(TM)": displayName
#define IDS_VENDOR_PRODUCT 32874     // "%s  %s"
