// Resource ids of the help services' string-table fragment (server/help.rc).
#pragma once

// Pop-up texts of the property sheets' own buttons.
#define IDS_HELP_SEE_OK 32841
#define IDS_HELP_SEE_CANCEL 32842
#define IDS_HELP_SEE_APPLY 32843
#define IDS_HELP_SEE_TABS 32845
#define IDS_HELP_HA_TABS 32847

// Pop-up fallback of the BIOS configuration sheet.
#define IDS_HELP_NO_TOPIC 32972
