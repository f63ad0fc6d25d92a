// Resource ids of the server module's fragment (module.rc).
#pragma once

#define IDS_SOCKETS_FAILED 101
// The suite's per-user registry key; the application list lies below it in "\AppList".
#define IDS_SETTINGS_ROOT 106
// Titles of the sheets CorvathObj opens, each filled with the record's names.
#define IDS_DEVICE_SHEET_TITLE 105   // "%s %s Properties": vendor, product
#define IDS_ADAPTER_SHEET_TITLE 121  // "%s Properties": displayName
#define IDS_SELDARN_SHEET_TITLE 122  // "%s Seldarn(TM)": displayName
