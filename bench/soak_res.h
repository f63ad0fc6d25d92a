// Resources of the soak program itself (besides the applet's, which soak.rc includes).
#pragma once

// An empty property page: the floor that every sheet of the suite stands on.
#define IDD_SOAK_EMPTY_PAGE 30001
