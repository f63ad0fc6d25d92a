#include "biosconfig/all_device_dialog.h"

#include <commctrl.h>

#include <cstring>

#include "biosconfig/biosconfig_res.h"
#include "biosconfig/see_common.h"
#include "framework/dpi.h"
#include "framework/strings.h"

namespace bios {
namespace {

// The target columns of the All Device Configuration lists, laid out for 96 DPI.
constexpr int kTargetColumnWidth = 32;

}  // namespace

AllDeviceDialog::AllDeviceDialog(HWND parent, const uint16_t* deviceWords, unsigned familyLevel,
                                 const std::string& heading, int columns)
    : Dialog(IDD_SEE_ALL_DEVICES, parent),
      family_(familyLevel),
      heading_(heading),
      columns_(columns < 0 ? 0 : columns > int(kTargetWords) ? int(kTargetWords) : columns) {
  std::memcpy(words_, deviceWords, sizeof words_);
}

void AllDeviceDialog::fillList(int id, const std::vector<std::vector<std::string>>& rows) {
  HWND list = item(id);
  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = fw::scaled(list, kTargetColumnWidth);
  for (int t = 0; t < columns_; ++t) {
    char title[8];
    wsprintfA(title, "#%u", unsigned(t));
    column.pszText = title;
    column.iSubItem = t;
    SendMessageA(list, LVM_INSERTCOLUMNA, t, reinterpret_cast<LPARAM>(&column));
  }
  for (size_t r = 0; r < rows.size(); ++r) {
    LVITEMA entry = {};
    entry.mask = LVIF_TEXT;
    entry.iItem = static_cast<int>(r);
    entry.pszText = const_cast<char*>(columns_ > 0 ? rows[r][0].c_str() : "");
    const int at =
        static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&entry)));
    for (int t = 1; at >= 0 && t < columns_; ++t) {
      entry.iItem = at;
      entry.iSubItem = t;
      entry.pszText = const_cast<char*>(rows[r][static_cast<size_t>(t)].c_str());
      SendMessageA(list, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&entry));
    }
  }
}

void AllDeviceDialog::placeLabel(int listId, int row, HWND label) {
  HWND list = item(listId);
  RECT cell = {LVIR_BOUNDS, 0, 0, 0};
  if (!label || !SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&cell))) return;
  MapWindowPoints(list, hwnd(), reinterpret_cast<POINT*>(&cell), 2);
  RECT own = {};
  GetWindowRect(label, &own);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&own), 2);
  const int height = own.bottom - own.top;
  SetWindowPos(label, nullptr, own.left, (cell.top + cell.bottom - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL AllDeviceDialog::onInitDialog() {
  Dialog::onInitDialog();
  SetDlgItemTextA(hwnd(), IDC_SEE_ALL_HEADING, heading_.c_str());
  logo_.reset(loadLogo(hwnd()));
  const bool family4 = isFamily4(family_);
  const DeviceBits& bits = deviceBits(family_);
  const std::string yes = fw::loadString(IDS_SEE_YES), no = fw::loadString(IDS_SEE_NO);
  auto yesNo = [&](uint16_t word, uint16_t bit) { return (word & bit) ? yes : no; };

  std::vector<std::vector<std::string>> settings(6, std::vector<std::string>(kTargetWords));
  std::vector<std::vector<std::string>> int13(3, std::vector<std::string>(kTargetWords));
  const std::string noChange = fw::loadString(IDS_SEE_NO_CHANGE);
  for (int t = 0; t < columns_; ++t) {
    const uint16_t w = words_[t];
    settings[0][t] = allDeviceRateText(family_, w);
    settings[1][t] = yesNo(w, bits.wide);
    settings[2][t] = yesNo(w, bits.disconnect);
    settings[3][t] = yesNo(w, bits.startUnit);
    if (family4) {
      settings[4][t] = yesNo(w, bits.packetized);
      settings[5][t] = yesNo(w, bits.quickArbitrate);
    } else {
      const int writeBack = writeBackChoice(w);
      int13[0][t] = writeBack == 0 ? yes : writeBack == 1 ? no : writeBack == 2 ? noChange : "";
    }
    int13[1][t] = yesNo(w, bits.multipleLun);
    int13[2][t] = yesNo(w, bits.biosScan);
  }
  fillList(IDC_SEE_ALL_SETTINGS, settings);
  fillList(IDC_SEE_ALL_INT13, int13);
  if (!family4) {
    EnableWindow(item(IDC_SEE_ALL_PACKETIZED_LABEL), FALSE);
    EnableWindow(item(IDC_SEE_ALL_QUICK_LABEL), FALSE);
  } else {
    EnableWindow(item(IDC_SEE_ALL_WRITE_BACK_LABEL), FALSE);
  }

  // Each row's label beside its row: the labels precede their list in the template.
  for (int listId : {IDC_SEE_ALL_SETTINGS, IDC_SEE_ALL_INT13}) {
    HWND list = item(listId);
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    HWND label = list;
    for (int r = rows - 1; r >= 0; --r) {
      label = GetWindow(label, GW_HWNDPREV);
      placeLabel(listId, r, label);
    }
  }
  return TRUE;
}

INT_PTR AllDeviceDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    if (HWND bar = item(IDC_SEE_LOGO)) {
      RECT area = {};
      GetWindowRect(bar, &area);
      MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&area), 2);
      srv::drawEtchedLine(dc, area.left, area.top, logo_.get());
    }
    EndPaint(hwnd(), &ps);
    handled = true;
    return 0;
  }
  return Dialog::handleMessage(message, wParam, lParam, handled);
}

}  // namespace bios
