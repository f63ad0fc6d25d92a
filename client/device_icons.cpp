#include "client/device_icons.h"

#include <cstdint>
#include <initializer_list>

void addDeviceIcons(CorvathObjDriver& corvath, const short* arguments, size_t count,
                    HIMAGELIST small, HIMAGELIST large) {
  for (size_t i = 0; i < count; ++i) {
    HICON icon = reinterpret_cast<HICON>(static_cast<intptr_t>(corvath.GetDeviceIcon(arguments[i])));
    for (HIMAGELIST list : {small, large}) {
      if (!list) continue;
      if (ImageList_AddIcon(list, icon) < 0)
        ImageList_SetImageCount(list, static_cast<UINT>(ImageList_GetImageCount(list) + 1));
    }
  }
}
