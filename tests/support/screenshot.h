// Screenshots of windows and of the screen, saved as PNG test artefacts.
#pragma once

#include <windows.h>

#include <string>

namespace orvtest {

// Folder for artefacts: $ORV_ARTIFACTS (a Unix path is mapped onto Wine's Z: drive),
// else the current folder. Created when missing.
std::string artifactFolder();

// Saves the window as it shows on the screen (nullptr: the whole screen) to
// <artifact folder>\<name>.png; returns the full path, or "" on failure.
std::string saveScreenshot(HWND window, const std::string& name);

}  // namespace orvtest
