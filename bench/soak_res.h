// Resources of the soak program itself (besides the applet's, which soak.rc includes).
#pragma once

// The floors under the property sheets: an empty page, a page of ten text labels, and
// the same labels in a dialog of their own.
#define IDD_SOAK_EMPTY_PAGE 30001
#define IDD_SOAK_LABELS_PAGE 30002
#define IDD_SOAK_LABELS_DIALOG 30003
