#include "biosconfig/see_common.h"

#include "biosconfig/biosconfig_res.h"
#include "framework/dpi.h"
#include "framework/module.h"

namespace bios {

HBITMAP loadLogo(HWND window) {
  return fw::loadPicture(fw::resourceModule(), IDB_SEE_LOGO, fw::dpiOf(window));
}

}  // namespace bios
