// Resource ids of the server module's fragment (module.rc).
#pragma once

#define IDS_SOCKETS_FAILED 101
