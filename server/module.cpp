#include "server/module.h"

#include <winsock2.h>

#include "framework/module.h"
#include "framework/msgbox.h"
#include "scsi/manager.h"
#include "scsi/scsi_res.h"
#include "server/module_res.h"

namespace srv {

HINSTANCE CorvathModule::instance() const { return fw::resourceModule(); }

HMODULE CorvathModule::libraryHandle() const {
  return running_ ? scsi::scsiManager().handle() : nullptr;
}

bool CorvathModule::start() {
  if (running_) return true;

  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    fw::messageBox(nullptr, IDS_SOCKETS_FAILED, IDS_SUITE_CAPTION, MB_OK | MB_ICONSTOP);
    return false;
  }
  sockets_ = true;

  // The About box's rich-edit control; without it that one control is missing, so
  // this is no reason to fail.
  richEdit_ = LoadLibraryA("riched20.dll");

  // The class factories need no registration of their own here: DllGetClassObject
  // hands them out once the module is running.

  contextHelpPath_ = fw::moduleFolder(instance()) + kContextHelpFile;

  if (!scsi::startManager()) {
    stop();
    return false;
  }
  running_ = true;
  return true;
}

void CorvathModule::stop() {
  scsi::stopManager();
  if (richEdit_) {
    FreeLibrary(richEdit_);
    richEdit_ = nullptr;
  }
  if (sockets_) {
    WSACleanup();
    sockets_ = false;
  }
  contextHelpPath_.clear();
  running_ = false;
}

CorvathModule& corvathModule() {
  static CorvathModule module;
  return module;
}

}  // namespace srv
