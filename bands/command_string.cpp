#include <windows.h>
#include <shlobj.h>

#include "bands/band_object.h"

namespace bands {

// The one command string the explorer bar and the command bar answer: command 0.
HRESULT bandCommandString(UINT_PTR command, UINT type, LPSTR name, UINT size,
                          const char* helpText) {
  if (command != 0) return E_INVALIDARG;
  const char* text = nullptr;
  switch (type) {
    case GCS_VALIDATEA:
    case GCS_VALIDATEW:
      return S_OK;
    case GCS_VERBA:
    case GCS_VERBW:
      text = "command";
      break;
    case GCS_HELPTEXTA:
    case GCS_HELPTEXTW:
      text = helpText;
      break;
    default:
      return E_INVALIDARG;
  }
  if (!name || size == 0) return E_INVALIDARG;
  if (type & GCS_UNICODE) {
    auto* wide = reinterpret_cast<WCHAR*>(name);
    if (!MultiByteToWideChar(CP_ACP, 0, text, -1, wide, static_cast<int>(size))) wide[0] = L'\0';
  } else {
    lstrcpynA(name, text, static_cast<int>(size));
  }
  return S_OK;
}

}  // namespace bands
