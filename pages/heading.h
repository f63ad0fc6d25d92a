// The pages' heading: a semi-bold "Arial" line over each page, as large as the sheet's
// dialog font, and the label widened when a long adapter name would wrap out of sight.
#pragma once

#include <windows.h>

namespace srv {

// The heading font measured with the sheet's dialog font; null when it could not be made.
// The caller owns it.
HFONT createHeadingFont(HWND sheet);
// Widens a page's one-line heading label to the page when its text does not fit.
void fitHeading(HWND page, int id);

}  // namespace srv
