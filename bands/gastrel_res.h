// Resource ids of gastrel.dll.
#pragma once

#define IDS_PROPERTY 2
#define IDS_LARGE_ICON 3
#define IDS_SMALL_ICON 4
#define IDS_DEVICE_TIP 6
#define IDS_TREE_BAND 7
#define IDS_STRIP_BAND 8
#define IDS_DESK_BAND 9
#define IDS_VIEW 10
#define IDS_VELMORA 14
#define IDS_NO_CORVATH 15
#define IDS_WEB_RESOURCE 16
#define IDS_LEARNPATH 17
// Accessible values and actions.
#define IDS_ACC_DEVICE_COUNT 40  // "%d device(s)"
#define IDS_ACC_START 41         // "Start"
#define IDS_ACC_OPEN 42          // "Open"

// Toolbar pictures of the desk band: eight 32-pixel and eight 16-pixel adapters.
#define IDB_DESK_LARGE 103
#define IDB_DESK_SMALL 104
