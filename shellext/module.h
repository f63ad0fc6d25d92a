// Fenwold's module: the folder's class id, its display name and the two module-wide
// image lists of device pictures (filled from Corvath by the first enumerator, kept
// until the module ends).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

class CorvathObjDriver;

namespace shx {

extern const CLSID CLSID_FenwoldFolder;

class FenwoldApp {
 public:
  static FenwoldApp& instance();

  // String 5, loaded at module start.
  const std::string& displayName() const { return displayName_; }
  HIMAGELIST smallImages() const { return small_; }
  HIMAGELIST largeImages() const { return large_; }
  bool hasImageLists() const { return small_ && large_; }
  // Builds both lists from the server's device icons unless they exist.
  void createImageLists(CorvathObjDriver& corvath);
  // Module start (once) and end.
  void start();
  void end();

 private:
  std::string displayName_;
  HIMAGELIST small_ = nullptr;
  HIMAGELIST large_ = nullptr;
  bool started_ = false;
};

// The message shown when Corvath's object cannot be created.
void showNoCorvath();
// A message of this module's string table: OK button, no icon, no owner.
void showMessage(unsigned textId);

}  // namespace shx
