#include "shellext/view_toolbar.h"

#include <commctrl.h>

#include "framework/strings.h"
#include "shellext/folder_logic.h"

namespace shx {
namespace {

constexpr ViewMode kViewModes[] = {
    {FVM_ICON, kCmdViewLarge, LVS_ICON, VIEW_LARGEICONS},
    {FVM_SMALLICON, kCmdViewSmall, LVS_SMALLICON, VIEW_SMALLICONS},
    {FVM_LIST, kCmdViewList, LVS_LIST, VIEW_LIST},
    {FVM_DETAILS, kCmdViewDetails, LVS_REPORT, VIEW_DETAILS},
};

}  // namespace

const ViewMode& modeOf(UINT mode) {
  for (const ViewMode& each : kViewModes)
    if (each.mode == mode) return each;
  return kViewModes[0];
}

const ViewMode* modeOfCommand(int command) {
  for (const ViewMode& each : kViewModes)
    if (each.command == command) return &each;
  return nullptr;
}

std::string textOfCommand(int command) {
  for (const SortCommand& each : kViewCommands)
    if (each.id == command) return fw::loadString(each.text);
  return std::string();
}

void addViewButtons(IShellBrowser* browser) {
  TBADDBITMAP bitmaps = {HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
  LRESULT standardOffset = 0, viewOffset = 0;
  browser->SendControlMsg(FCW_TOOLBAR, TB_ADDBITMAP, 8, reinterpret_cast<LPARAM>(&bitmaps),
                          &standardOffset);
  bitmaps.nID = IDB_VIEW_SMALL_COLOR;
  browser->SendControlMsg(FCW_TOOLBAR, TB_ADDBITMAP, 8, reinterpret_cast<LPARAM>(&bitmaps),
                          &viewOffset);
  TBBUTTON buttons[6] = {};
  buttons[0] = {0, kCmdSeparator, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0};
  for (int i = 0; i < 4; ++i) {
    buttons[i + 1] = {static_cast<int>(viewOffset) + kViewModes[i].bitmap, kViewModes[i].command,
                      TBSTATE_ENABLED, BTNS_BUTTON | BTNS_CHECKGROUP, {}, 0, 0};
  }
  buttons[5] = {0, kCmdSeparator, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0};
  browser->SetToolbarItems(buttons, 6, FCT_MERGE);
}

void checkViewButton(IShellBrowser* browser, UINT mode) {
  if (!browser) return;
  LRESULT result = 0;
  browser->SendControlMsg(FCW_TOOLBAR, TB_CHECKBUTTON, static_cast<WPARAM>(modeOf(mode).command),
                          MAKELPARAM(TRUE, 0), &result);
}

}  // namespace shx
