#include "shellext/module.h"

#include "client/corvath_obj_driver.h"
#include "client/device_icons.h"
#include "framework/strings.h"
#include "shellext/fenwold_res.h"
#include "shellext/folder_logic.h"

namespace shx {

// {D6C27292-D646-4E94-8B05-BAE60EBFD3AC}
const CLSID CLSID_FenwoldFolder = {
    0xd6c27292, 0xd646, 0x4e94, {0x8b, 0x05, 0xba, 0xe6, 0x0e, 0xbf, 0xd3, 0xac}};

FenwoldApp& FenwoldApp::instance() {
  static FenwoldApp app;
  return app;
}

void FenwoldApp::start() {
  if (started_) return;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  displayName_ = fw::loadString(IDS_FOLDER_NAME);
  started_ = true;
}

void FenwoldApp::end() {
  if (small_) ImageList_Destroy(small_);
  if (large_) ImageList_Destroy(large_);
  small_ = large_ = nullptr;
}

void FenwoldApp::createImageLists(CorvathObjDriver& corvath) {
  if (hasImageLists()) return;
  end();
  small_ = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                            ILC_COLORDDB | ILC_MASK, 4, 0);
  large_ = ImageList_Create(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                            ILC_COLORDDB | ILC_MASK, 4, 0);
  addDeviceIcons(corvath, kImageIconArguments, small_, large_);
}

void showMessage(unsigned textId) {
  MessageBoxA(nullptr, fw::loadString(textId).c_str(),
              FenwoldApp::instance().displayName().c_str(), MB_OK);
}

void showNoCorvath() { showMessage(IDS_NO_CORVATH); }

}  // namespace shx
