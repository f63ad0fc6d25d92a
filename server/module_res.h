// Resource ids of the server module's fragment (module.rc).
#pragma once

#define IDS_SOCKETS_FAILED 101
// The suite's per-user registry key; the application list lies below it in "\AppList".
#define IDS_SETTINGS_ROOT 106
// The texts of the sheets' titles, with ids the sheets take from pages/.
#include "pages/sheet_res.h"
