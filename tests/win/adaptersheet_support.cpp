#include "tests/win/adaptersheet_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "adaptersheet/adaptersheet_res.h"
#include "tests/support/modal_driver.h"

namespace hatest {
namespace {

std::string field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

}  // namespace

std::string sheetTitle(const inv::HostAdapterInfo& adapter) {
  return field(adapter.displayName, sizeof adapter.displayName) + " Properties";
}

std::string heading(const inv::HostAdapterInfo& adapter) {
  return field(adapter.adapterIdentifier, sizeof adapter.adapterIdentifier) + " " +
         field(adapter.displayName, sizeof adapter.displayName);
}

const inv::HostAdapterInfo* adapter(const inv::HostAdapterInfo* list, int number) {
  for (int a = 0; list && a < list[0].adapterCount; ++a)
    if (list[a].adapterNumber == number) return &list[a];
  return nullptr;
}

void withSheet(CorvathObjDriver& corvath, const inv::HostAdapterInfo& adapter, short page,
               const std::function<void(HWND)>& action) {
  orvtest::ModalDriver driver;
  driver.expect(sheetTitle(adapter), [&](HWND sheet) {
    action(sheet);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  }, false);
  corvath.ShowHostAdapterProperty(CorvathObjDriver::address(&adapter), page);
  EXPECT_EQ(corvath.lastError(), S_OK);
  EXPECT_TRUE(driver.allDone()) << "no sheet titled " << sheetTitle(adapter);
  EXPECT_TRUE(driver.unexpected().empty());
}

HWND currentPage(HWND sheet) {
  return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

int currentTab(HWND sheet) {
  HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
  return static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
}

std::map<int, std::string> generalFields(HWND page) {
  std::map<int, std::string> out;
  for (int id : {IDC_HA_HEADING, IDC_HA_LOCATION, IDC_HA_SCSI_ID, IDC_HA_DEVICES, IDC_HA_IO_PORT,
                 IDC_HA_INTERRUPT, IDC_HA_RESIDUAL, IDC_HA_MAX_TRANSFER, IDC_HA_ALIGNMENT})
    out[id] = orvtest::itemText(page, id);
  return out;
}

std::vector<std::string> pciRows(HWND page) {
  HWND list = GetDlgItem(page, IDC_HA_PCI_LIST);
  std::vector<std::string> rows;
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char name[64] = {}, value[64] = {};
    LVITEMA item = {};
    item.pszText = name;
    item.cchTextMax = sizeof name;
    SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = value;
    item.cchTextMax = sizeof value;
    SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    rows.push_back(std::string(name) + "=" + value);
  }
  return rows;
}

std::string columnHeader(HWND list, int index) {
  char text[32] = {};
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT;
  column.pszText = text;
  column.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
  return text;
}

void expectHeadingFont(HWND page) {
  HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageA(page, IDC_HA_HEADING, WM_GETFONT, 0, 0));
  LOGFONTA log = {};
  ASSERT_TRUE(GetObjectA(font, sizeof log, &log));
  EXPECT_EQ(log.lfWeight, 600);
  EXPECT_STREQ(log.lfFaceName, "Arial");
  EXPECT_EQ(log.lfPitchAndFamily, 0x24);
  EXPECT_EQ(log.lfQuality, PROOF_QUALITY);
  EXPECT_EQ(log.lfOutPrecision, OUT_TT_PRECIS);
}

}  // namespace hatest
