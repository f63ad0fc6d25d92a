// Helpers of the BIOS configuration sheet's window tests: opening the sheet through
// CorvathObj, reading and changing its pages' controls as a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "client/corvath_obj_driver.h"
#include "contract/records.h"
#include "tests/support/modal_driver.h"

namespace biostest {

// "<displayName> Seldarn(TM)"
std::string sheetTitle(const inv::HostAdapterInfo& adapter);

// ShowSeldarn for the adapter; runs action on the sheet, then presses `button`
// (PSBTN_OK or PSBTN_CANCEL) unless the action closed it. `before` and `after` add the
// steps of windows that open before the sheet and from inside the action.
void withSheet(CorvathObjDriver& corvath, const inv::HostAdapterInfo& adapter,
               const std::function<void(HWND)>& action, int button,
               const std::function<void(orvtest::ModalDriver&)>& before = {},
               const std::function<void(orvtest::ModalDriver&)>& after = {});

// Shows page `index` and answers its window.
HWND showPage(HWND sheet, int index);
using orvtest::tabCount;
using orvtest::tabText;

int selection(HWND page, int id);
std::string selectedText(HWND page, int id);
std::vector<std::string> items(HWND page, int id);
// Selects item `index` and tells the page, as a choice from the list does.
void choose(HWND page, int id, int index);
void click(HWND page, int id);
bool checked(HWND page, int id);
bool enabled(HWND page, int id);
// Whether every child of the page is disabled.
bool allDisabled(HWND page);

// Report list cells: header texts and the text of row, column.
std::vector<std::string> columnHeaders(HWND list);
std::string cell(HWND list, int row, int column);

}  // namespace biostest
