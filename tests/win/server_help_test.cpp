// The help machinery through a recorder in front of HtmlHelpA: the control shows no
// pop-ups here, so the tests check what would have been asked of it.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/module.h"
#include "framework/strings.h"
#include "pages/help.h"

namespace {

struct Call {
  HWND caller;
  bool hasFile;
  std::string file;
  UINT command;
  DWORD_PTR data;
  std::vector<srv::HelpPair> pairs;  // the table, up to and including its end pair
  srv::HelpPopup popup;
  std::string popupText;
};

std::vector<Call> g_calls;
HWND g_answer = nullptr;

HWND WINAPI recordHtmlHelp(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
  Call call{caller, file != nullptr, file ? file : "", command, data, {}, {}, {}};
  if ((command == srv::kHhTpHelpWmHelp || command == srv::kHhTpHelpContextMenu) && data) {
    const srv::HelpPair* p = reinterpret_cast<const srv::HelpPair*>(data);
    do call.pairs.push_back(*p); while ((p++)->controlId != 0);
  }
  if (command == srv::kHhDisplayTextPopup && data) {
    call.popup = *reinterpret_cast<const srv::HelpPopup*>(data);
    if (call.popup.pszText) call.popupText = call.popup.pszText;
  }
  g_calls.push_back(call);
  return g_answer;
}

std::vector<srv::HelpPair> tableRows(const srv::HelpPair* pairs) {
  std::vector<srv::HelpPair> rows;
  do rows.push_back(*pairs); while ((pairs++)->controlId != 0);
  return rows;
}

bool samePairs(const std::vector<srv::HelpPair>& a, const std::vector<srv::HelpPair>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].controlId != b[i].controlId || a[i].topic != b[i].topic) return false;
  return true;
}

class HelpTest : public testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_answer = nullptr;
    srv::setHtmlHelpForTesting(recordHtmlHelp);
  }
  void TearDown() override {
    srv::setHtmlHelpForTesting(nullptr);
    srv::setHelpControlForTesting(nullptr);
    if (page_) DestroyWindow(page_);
  }

  // A page-like window at a known place with three labels; the middle one hidden.
  void makePage() {
    page_ = CreateWindowExA(0, "STATIC", "page", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200,
                            nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(page_);
    label_ = child(1560, 10, 10, WS_VISIBLE);
    hidden_ = child(1628, 10, 50, 0);
    value_ = child(1248, 10, 90, WS_VISIBLE);
  }
  HWND child(int id, int x, int y, DWORD visible) {
    return CreateWindowExA(0, "STATIC", "x", WS_CHILD | visible, x, y, 100, 20, page_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }
  POINT onScreen(int x, int y) {
    POINT p{x, y};
    ClientToScreen(page_, &p);
    return p;
  }

  HWND page_ = nullptr, label_ = nullptr, hidden_ = nullptr, value_ = nullptr;
};

const std::string kFolder = fw::moduleFolder(nullptr);

TEST_F(HelpTest, HelpRequestShowsThePagesTopicsForTheItemWindow) {
  HWND item = reinterpret_cast<HWND>(0x1234);
  HELPINFO info = {sizeof info, HELPINFO_WINDOW, 1249, item, 0, {5, 6}};
  g_answer = reinterpret_cast<HWND>(0x99);
  EXPECT_TRUE(srv::onHelpInfo(&info, srv::kHelpBusInterface));
  ASSERT_EQ(g_calls.size(), 1u);
  const Call& call = g_calls[0];
  EXPECT_EQ(call.caller, item);
  EXPECT_EQ(call.file, kFolder + "orvane60.chm::/context.txt");
  EXPECT_EQ(call.command, 0x11u);  // HH_TP_HELP_WM_HELP
  EXPECT_TRUE(samePairs(call.pairs, tableRows(srv::kHelpBusInterface)));
  EXPECT_EQ(call.data, reinterpret_cast<DWORD_PTR>(srv::kHelpBusInterface));

  // The answer says whether a help window came up.
  g_answer = nullptr;
  EXPECT_FALSE(srv::onHelpInfo(&info, srv::kHelpBusInterface));
}

TEST_F(HelpTest, HelpRequestAboutAMenuIsHandledWithoutHelp) {
  HELPINFO info = {sizeof info, HELPINFO_MENUITEM, 32771, nullptr, 0, {0, 0}};
  EXPECT_TRUE(srv::onHelpInfo(&info, srv::kHelpDeviceGeneral));
  EXPECT_TRUE(srv::onHelpInfo(nullptr, srv::kHelpDeviceGeneral));
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(HelpTest, RightClickHelpGoesToTheVisibleControlUnderThePoint) {
  makePage();
  srv::onContextMenu(page_, page_, onScreen(20, 15), srv::kHelpBusInterface);
  srv::onContextMenu(page_, page_, onScreen(109, 95), srv::kHelpBusInterface);
  srv::onContextMenu(page_, page_, onScreen(250, 150), srv::kHelpBusInterface);
  // Where only the hidden control is, the page itself is asked about.
  srv::onContextMenu(page_, page_, onScreen(20, 55), srv::kHelpBusInterface);
  // A control that got the message itself keeps it (it has no children).
  srv::onContextMenu(page_, value_, onScreen(20, 95), srv::kHelpBusInterface);
  ASSERT_EQ(g_calls.size(), 5u);
  EXPECT_EQ(g_calls[0].caller, label_);
  EXPECT_EQ(g_calls[1].caller, value_);
  EXPECT_EQ(g_calls[2].caller, page_);
  EXPECT_EQ(g_calls[3].caller, page_);
  EXPECT_EQ(g_calls[4].caller, value_);
  for (const Call& call : g_calls) {
    EXPECT_EQ(call.command, 0x10u);  // HH_TP_HELP_CONTEXTMENU
    EXPECT_EQ(call.file, kFolder + "orvane60.chm::/context.txt");
    EXPECT_TRUE(samePairs(call.pairs, tableRows(srv::kHelpBusInterface)));
  }
  // The label and its value field explain the same thing.
  EXPECT_EQ(srv::helpTopicFor(srv::kHelpBusInterface, GetDlgCtrlID(g_calls[0].caller)),
            srv::helpTopicFor(srv::kHelpBusInterface, GetDlgCtrlID(g_calls[1].caller)));
}

TEST_F(HelpTest, TextPopupRecordCarriesTheStringAndTheUsersColours) {
  HWND item = reinterpret_cast<HWND>(0x4321);
  POINT at{300, 200};
  srv::showTextPopup(srv::kAdapterSheetPopups, item, at, 0x3020);
  ASSERT_EQ(g_calls.size(), 1u);
  const Call& call = g_calls[0];
  EXPECT_EQ(call.caller, item);
  EXPECT_FALSE(call.hasFile);
  EXPECT_EQ(call.command, 0x0Eu);  // HH_DISPLAY_TEXT_POPUP
  const srv::HelpPopup& p = call.popup;
  EXPECT_EQ(p.cbStruct, sizeof(void*) == 8 ? 72 : 52);
  EXPECT_EQ(p.hinst, nullptr);
  EXPECT_EQ(p.idString, 0u);
  EXPECT_EQ(call.popupText, fw::loadString(32847));
  EXPECT_EQ(call.popupText.substr(0, 1), "\n");
  EXPECT_EQ(p.pt.x, 300);
  EXPECT_EQ(p.pt.y, 200);
  EXPECT_EQ(p.clrForeground, static_cast<COLORREF>(-1));
  EXPECT_EQ(p.clrBackground, RGB(255, 255, 228));
  EXPECT_EQ(p.rcMargins.left, -1);
  EXPECT_EQ(p.rcMargins.top, 0);
  EXPECT_EQ(p.rcMargins.right, -1);
  EXPECT_EQ(p.rcMargins.bottom, -1);
  EXPECT_EQ(p.pszFont, nullptr);
}

TEST_F(HelpTest, TextPopupsFallBackPerSheet) {
  POINT at{1, 2};
  // Adapter sheet: a control's own string, else the fixed text on the paler yellow.
  srv::showTextPopup(srv::kAdapterSheetPopups, nullptr, at, 1163);
  srv::showTextPopup(srv::kAdapterSheetPopups, nullptr, at, IDOK);
  // Configuration sheet: its buttons are substituted; a missing string shows 32972.
  srv::showTextPopup(srv::kSeldarnSheetPopups, nullptr, at, IDOK);
  srv::showTextPopup(srv::kSeldarnSheetPopups, nullptr, at, IDCANCEL);
  srv::showTextPopup(srv::kSeldarnSheetPopups, nullptr, at, 0x3021);
  srv::showTextPopup(srv::kSeldarnSheetPopups, nullptr, at, 0x3020);
  srv::showTextPopup(srv::kSeldarnSheetPopups, nullptr, at, 4242);
  ASSERT_EQ(g_calls.size(), 7u);
  EXPECT_EQ(g_calls[0].popupText, "\nThe termination of the LVD/SE connector.\n");
  EXPECT_EQ(g_calls[0].popup.clrBackground, RGB(255, 255, 228));
  EXPECT_EQ(g_calls[1].popupText, "No Help topic is associated with this item!!!!");
  EXPECT_EQ(g_calls[1].popup.clrBackground, RGB(255, 255, 208));
  EXPECT_EQ(g_calls[2].popupText, fw::loadString(32841));
  EXPECT_EQ(g_calls[3].popupText, fw::loadString(32842));
  EXPECT_EQ(g_calls[4].popupText, fw::loadString(32843));
  EXPECT_EQ(g_calls[5].popupText, fw::loadString(32845));
  for (int i = 2; i <= 5; ++i) EXPECT_FALSE(g_calls[i].popupText.empty()) << i;
  EXPECT_EQ(g_calls[6].popupText, "No help topic is associated with this item.....");
  EXPECT_EQ(g_calls[6].popup.clrBackground, RGB(255, 255, 228));
}

TEST_F(HelpTest, FullHelpOpensTheHelpFileBesideTheModule) {
  HWND owner = reinterpret_cast<HWND>(0x77);
  srv::showFullHelp(owner);
  srv::showFullHelp(nullptr);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[0].caller, owner);
  EXPECT_EQ(g_calls[0].file, kFolder + "orvane60.chm");
  EXPECT_EQ(g_calls[0].command, 0u);  // HH_DISPLAY_TOPIC
  EXPECT_EQ(g_calls[0].data, 0u);
  EXPECT_EQ(g_calls[1].caller, nullptr);
}

TEST_F(HelpTest, WithoutTheHelpControlEveryRequestDoesNothing) {
  srv::setHtmlHelpForTesting(nullptr);
  srv::setHelpControlForTesting("orv-missing-help-control.ocx");
  makePage();
  HELPINFO info = {sizeof info, HELPINFO_WINDOW, 1560, label_, 0, {0, 0}};
  EXPECT_FALSE(srv::onHelpInfo(&info, srv::kHelpBusInterface));
  srv::onContextMenu(page_, page_, onScreen(20, 15), srv::kHelpBusInterface);
  srv::showTextPopup(srv::kSeldarnSheetPopups, label_, POINT{0, 0}, 1);
  EXPECT_EQ(srv::showFullHelp(nullptr), nullptr);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(HelpTest, TheHelpControlIsLoadedOnFirstUse) {
  srv::setHtmlHelpForTesting(nullptr);
  EXPECT_EQ(GetModuleHandleA("hhctrl.ocx"), nullptr);
  // A pop-up without text support here: the control is asked and answers no window.
  srv::showTextPopup(srv::kSeldarnSheetPopups, nullptr, POINT{0, 0}, 4242);
  EXPECT_NE(GetModuleHandleA("hhctrl.ocx"), nullptr);
}

}  // namespace
