#include "biosconfig/see_common.h"

#include <cstring>

#include "biosconfig/biosconfig_res.h"
#include "framework/dpi.h"
#include "framework/module.h"

namespace bios {

std::string fixedText(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

HBITMAP loadLogo(HWND window) {
  return fw::loadPicture(fw::resourceModule(), IDB_SEE_LOGO, fw::dpiOf(window));
}

}  // namespace bios
