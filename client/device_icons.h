// Image lists of the server's device icons, as the front ends show them in trees and
// folder views: one image per icon argument, in the order the caller indexes them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

#include "client/corvath_obj_driver.h"

// Adds copies of the server's shared icons (never destroyed here) to each list that is
// not null. A missing icon keeps its place as a blank image, so that every later image
// keeps the index the caller's table gives it.
void addDeviceIcons(CorvathObjDriver& corvath, const short* arguments, size_t count,
                    HIMAGELIST small, HIMAGELIST large);
template <size_t N>
void addDeviceIcons(CorvathObjDriver& corvath, const short (&arguments)[N], HIMAGELIST small,
                    HIMAGELIST large) {
  addDeviceIcons(corvath, arguments, N, small, large);
}
