#include "tests/win/devsheet_defect_mode_kit.h"

#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "devsheet/devsheet.h"
#include "devsheet/devsheet_res.h"
#include "scsi/manager.h"
#include "tests/support/simulator_control.h"

namespace devtest {
namespace {

Bytes hexBytes(const std::string& text) {
  std::istringstream in(text);
  std::string byte;
  Bytes out;
  while (in >> byte) out.push_back(static_cast<int>(std::strtol(byte.c_str(), nullptr, 16)));
  return out;
}

struct HelpCall {
  HWND caller;
  DWORD_PTR data;
};
std::vector<HelpCall> g_calls;
HWND WINAPI recordHelp(HWND caller, LPCSTR, UINT, DWORD_PTR data) {
  g_calls.push_back({caller, data});
  return caller;
}

}  // namespace

void DirectPageTest::SetUp() {
  SetEnvironmentVariableA("VRAX_SIM_BUS", nullptr);
  SetEnvironmentVariableA("VRAX_SIM_STATE", "none");
  ASSERT_TRUE(scsi::scsiManager().load());
  auto loadText = orvtest::simulatorControl<simctl::LoadBusTextFn>(simctl::kLoadBusText);
  ASSERT_NE(loadText, nullptr);
  ASSERT_EQ(loadText(bus_, "pages.bus"), 1);
  list_ = inv::fromAddress<inv::HostAdapterInfo>(inventory_.buildAdapterList());
  ASSERT_NE(list_, nullptr);
  log_ = orvtest::tempPath("page_requests.log");
  DeleteFileA(log_.c_str());
  setLog_ = orvtest::simulatorControl<simctl::SetLogFn>(simctl::kSetLog);
  ASSERT_NE(setLog_, nullptr);
  ASSERT_EQ(setLog_(log_.c_str()), 1);
}

void DirectPageTest::TearDown() {
  if (setLog_) setLog_(nullptr);
  DeleteFileA(log_.c_str());
  EXPECT_TRUE(driver_.allDone()) << "a window the test waited for did not appear";
  EXPECT_TRUE(driver_.unexpected().empty()) << driver_.unexpected().front();
}

const inv::DeviceInfo& DirectPageTest::disk(int target) {
  for (int i = 0; i < list_[0].deviceCount; ++i)
    if (list_[0].devices[i].target == target) return list_[0].devices[i];
  ADD_FAILURE() << "no target " << target;
  return list_[0].devices[0];
}

void DirectPageTest::onPage(int target, const std::function<void(HWND, HWND)>& action,
                            const std::function<void()>& onTab) {
  dev::CDevPropertySheet sheet(scsi::scsiManager().handle(), disk(target), nullptr, "Pages",
                               nullptr, 0);
  ASSERT_GT(sheet.pageCount(), static_cast<size_t>(index_));
  ASSERT_EQ(sheet.page(index_)->templateId(), templateId_);
  driver_.expect("Pages", [&](HWND window) {
    if (onTab) onTab();
    SendMessageA(window, PSM_SETCURSEL, index_, 0);
    HWND page = reinterpret_cast<HWND>(SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(orvtest::windowTitle(page), caption_);
    action(window, page);
    PostMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  }, false);
  EXPECT_EQ(sheet.doModal(), IDCANCEL);
}

void DirectPageTest::expectMessage(const std::string& caption, const std::string& text) {
  driver_.expect(caption, [text](HWND box) {
    EXPECT_EQ(orvtest::messageBoxText(box), text);
    orvtest::pressButton(box, IDOK);
  });
}

std::vector<Bytes> DirectPageTest::received(int opcode) {
  setLog_(nullptr);
  std::vector<Bytes> blocks;
  {
    std::ifstream in(log_);
    std::string line;
    while (std::getline(in, line)) {
      const size_t recv = line.find(" recv ");
      if (line.empty() || line[0] != '#' || recv == std::string::npos) continue;
      Bytes block = hexBytes(line.substr(recv + 6));
      if (block.size() != 80 || block[48] != opcode) continue;
      // The status, the buffer's address and the event's handle vary from run to run.
      using scsi::ExecCommandBlock;
      block[offsetof(ExecCommandBlock, header.status)] = 0;
      for (size_t i = 0; i < sizeof(ExecCommandBlock::dataBuffer); ++i) {
        block[offsetof(ExecCommandBlock, dataBuffer) + i] = 0;
        block[offsetof(ExecCommandBlock, completionEvent) + i] = 0;
      }
      blocks.push_back(block);
    }
  }
  DeleteFileA(log_.c_str());
  setLog_(log_.c_str());
  return blocks;
}

Bytes readBlock(int target, const Bytes& cdb, uint32_t dataLength) {
  Bytes block(80, 0);
  block[0] = 2;     // execute
  block[3] = 0x48;  // data in, event notification
  block[8] = target;
  for (int i = 0; i < 4; ++i) block[12 + i] = static_cast<int>((dataLength >> (8 * i)) & 0xFF);
  block[offsetof(scsi::ExecCommandBlock, senseLength)] = 14;
  block[offsetof(scsi::ExecCommandBlock, cdbLength)] = static_cast<int>(cdb.size());
  std::copy(cdb.begin(), cdb.end(), block.begin() + 48);
  return block;
}

std::vector<std::string> listBoxLines(HWND list) {
  std::vector<std::string> lines;
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::string text(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)), '\0');
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
    lines.push_back(text);
  }
  return lines;
}

const srv::HelpPair* helpPairsFor(HWND page, int control) {
  g_calls.clear();
  srv::setHtmlHelpForTesting(recordHelp);
  HELPINFO info = {};
  info.cbSize = sizeof info;
  info.iContextType = HELPINFO_WINDOW;
  info.iCtrlId = control;
  info.hItemHandle = GetDlgItem(page, control);
  SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  srv::setHtmlHelpForTesting(nullptr);
  if (g_calls.size() != 1 || g_calls[0].caller != GetDlgItem(page, control)) return nullptr;
  return reinterpret_cast<const srv::HelpPair*>(g_calls[0].data);
}

bool separatorDrawn(HWND page) {
  UpdateWindow(page);
  RECT line;
  GetWindowRect(GetDlgItem(page, IDC_DEV_SEPARATOR), &line);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&line), 2);
  HDC dc = GetDC(page);
  // The etched line's dark row in the scheme's 3-D shadow.
  const bool drawn = GetPixel(dc, line.left + 5, line.top + 1) == GetSysColor(COLOR_BTNSHADOW);
  ReleaseDC(page, dc);
  return drawn;
}

}  // namespace devtest
