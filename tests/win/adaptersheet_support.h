// Helpers of the adapter sheet's window tests: opening the sheet through CorvathObj and
// reading its pages by control id.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "client/corvath_obj_driver.h"
#include "contract/records.h"

namespace hatest {

// "<displayName> Properties"
std::string sheetTitle(const inv::HostAdapterInfo& adapter);
// "<adapterIdentifier> <displayName>"
std::string heading(const inv::HostAdapterInfo& adapter);
// The record of adapter number `number` in the list; null when absent.
const inv::HostAdapterInfo* adapter(const inv::HostAdapterInfo* list, int number);

// ShowHostAdapterProperty for the adapter on `page`; runs action on the sheet, then
// presses Cancel.
void withSheet(CorvathObjDriver& corvath, const inv::HostAdapterInfo& adapter, short page,
               const std::function<void(HWND)>& action);

HWND currentPage(HWND sheet);
int currentTab(HWND sheet);
// Text of every value control of the General page, by control id.
std::map<int, std::string> generalFields(HWND page);
// Rows of the PCI page's list as "name=value".
std::vector<std::string> pciRows(HWND page);
std::string columnHeader(HWND list, int index);
// The semi-bold Arial heading on control 1516.
void expectHeadingFont(HWND page);

}  // namespace hatest
