#include "tests/win/biosconfig_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/modal_driver.h"

namespace biostest {

std::string sheetTitle(const inv::HostAdapterInfo& adapter) {
  return std::string(adapter.displayName, strnlen(adapter.displayName, sizeof adapter.displayName)) +
         " Seldarn(TM)";
}

void withSheet(CorvathObjDriver& corvath, const inv::HostAdapterInfo& adapter,
               const std::function<void(HWND)>& action, int button,
               const std::function<void(orvtest::ModalDriver&)>& before,
               const std::function<void(orvtest::ModalDriver&)>& after) {
  orvtest::ModalDriver driver;
  if (before) before(driver);
  driver.expect(sheetTitle(adapter), [&](HWND sheet) {
    action(sheet);
    if (IsWindow(sheet)) PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
  }, false);
  if (after) after(driver);
  corvath.ShowSeldarn(CorvathObjDriver::address(&adapter));
  EXPECT_EQ(corvath.lastError(), S_OK);
  EXPECT_TRUE(driver.allDone()) << "no sheet titled " << sheetTitle(adapter);
  EXPECT_TRUE(driver.unexpected().empty());
}

HWND showPage(HWND sheet, int index) {
  SendMessageA(sheet, PSM_SETCURSEL, index, 0);
  return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

int selection(HWND page, int id) {
  return static_cast<int>(SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0));
}

std::vector<std::string> items(HWND page, int id) {
  std::vector<std::string> out;
  const int count = static_cast<int>(SendDlgItemMessageA(page, id, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[128] = {};
    SendDlgItemMessageA(page, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    out.push_back(text);
  }
  return out;
}

std::string selectedText(HWND page, int id) {
  const int index = selection(page, id);
  const std::vector<std::string> all = items(page, id);
  return index >= 0 && index < static_cast<int>(all.size()) ? all[index] : "";
}

void choose(HWND page, int id, int index) {
  SendDlgItemMessageA(page, id, CB_SETCURSEL, index, 0);
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

void click(HWND page, int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }

bool checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

bool enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }

bool allDisabled(HWND page) {
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (IsWindowEnabled(child)) return false;
  return true;
}

std::vector<std::string> columnHeaders(HWND list) {
  std::vector<std::string> out;
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  const int count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[32] = {};
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    out.push_back(text);
  }
  return out;
}

std::string cell(HWND list, int row, int column) {
  char text[64] = {};
  LVITEMA entry = {};
  entry.iSubItem = column;
  entry.pszText = text;
  entry.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&entry));
  return text;
}

}  // namespace biostest
