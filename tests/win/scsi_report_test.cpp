// The failure report as the user sees it: the busy and aborted messages, the "SCSI
// Command Failure" dialog with its six fields, the pages' "not supported" message, and
// the start-up message when the manager library cannot be loaded.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/strings.h"
#include "scsi/commands.h"
#include "scsi/manager.h"
#include "scsi/report.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"

namespace {

struct Fields {
  std::string cdb, adapter, target, key, code, qualifier;
};

Fields readFields(HWND dlg) {
  return {orvtest::itemText(dlg, 1610), orvtest::itemText(dlg, 1611),
          orvtest::itemText(dlg, 1612), orvtest::itemText(dlg, 1613),
          orvtest::itemText(dlg, 1614), orvtest::itemText(dlg, 1615)};
}

scsi::ExecCommandBlock block(const scsi::Command& command, uint8_t status, uint8_t adapterStatus,
                             uint8_t targetStatus, uint8_t sense2 = 0, uint8_t asc = 0,
                             uint8_t ascq = 0) {
  static uint8_t buffer[8192];
  scsi::ExecCommandBlock b;
  scsi::fillExecBlock(b, 0, 2, command, buffer);
  b.header.status = status;
  b.adapterStatus = adapterStatus;
  b.targetStatus = targetStatus;
  b.senseArea[2] = sense2;
  b.senseArea[12] = asc;
  b.senseArea[13] = ascq;
  return b;
}

// The icon a message box shows (its icon static: 0x14 on Windows, 0x440 in Wine).
HICON messageBoxIcon(HWND box) {
  for (int id : {0x14, 0x440}) {
    HWND icon = GetDlgItem(box, id);
    if (icon) return reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
  }
  return nullptr;
}

TEST(ScsiFailureDialog, ShowsTheRequestThatNeverFinished) {
  // A READ CAPACITY whose wait expired: nothing but the CDB was ever written.
  scsi::ExecCommandBlock b = block(scsi::readCapacity(), 0, 0, 0);
  orvtest::ModalDriver driver;
  Fields shown;
  driver.expect("SCSI Command Failure", [&](HWND dlg) {
    shown = readFields(dlg);
    RECT client;
    GetClientRect(dlg, &client);
    RECT units = {0, 0, 232, 114};
    MapDialogRect(dlg, &units);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    EXPECT_FALSE(orvtest::saveScreenshot(dlg, "scsi_command_failure").empty());
    orvtest::pressButton(dlg, IDOK);
  });
  scsi::reportCommandFailure(nullptr, b);
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(shown.cdb, "25 00 00 00 00 00 00 00 00 00 ");
  EXPECT_EQ(shown.adapter, "00 - No host adapter error");
  EXPECT_EQ(shown.target, "00 - Good status");
  EXPECT_EQ(shown.key, "00 - No sense");
  EXPECT_EQ(shown.code, "00 ");
  EXPECT_EQ(shown.qualifier, "00 ");
}

TEST(ScsiFailureDialog, ListedValuesGetTheirTextsUnlistedOnesTheDigitsAlone) {
  scsi::ExecCommandBlock b = block(scsi::modeSense(0x08, 2), 4, 0x11, 0x02, 0x08, 0x3A, 0x01);
  scsi::CommandFailureDialog dialog(b, nullptr);
  orvtest::ModalDriver driver;
  Fields shown;
  driver.expect("SCSI Command Failure", [&](HWND dlg) {
    shown = readFields(dlg);
    orvtest::pressButton(dlg, IDOK);
  });
  EXPECT_EQ(dialog.doModal(), IDOK);
  EXPECT_EQ(shown.cdb, "1A 00 88 00 54 00 ");
  EXPECT_EQ(shown.adapter, "11 " + fw::loadString(1042));
  EXPECT_EQ(shown.adapter, "11 - Selection timeout");
  EXPECT_EQ(shown.target, "02 - Check condition");
  EXPECT_EQ(shown.key, "08 ");
  EXPECT_EQ(shown.code, "3A ");
  EXPECT_EQ(shown.qualifier, "01 ");

  // Every string of the three tables is present.
  for (unsigned id = 1041; id <= 1058; ++id)
    EXPECT_EQ(fw::loadString(id).compare(0, 2, "- "), 0) << id;
  EXPECT_EQ(fw::loadString(1045), "- Bus phase sequence failure");
  EXPECT_EQ(fw::loadString(1058), "- Miscompare");
}

TEST(ScsiFailureReport, AbortedAndBusyAreMessagesCaptionedScsiError) {
  struct Case {
    uint8_t status, target;
    const char* text;
  } cases[] = {
      {2, 0x00,
       "The VRAX request sent was aborted due to unexpected timeout failure.  The selected "
       "SCSI device may be busy."},
      {2, 0x08,
       "The VRAX request sent was aborted due to unexpected timeout failure.  The selected "
       "SCSI device may be busy."},
      {4, 0x08, "The device is busy at this time."},
  };
  for (const Case& c : cases) {
    orvtest::ModalDriver driver;
    std::string text;
    HICON icon = nullptr;
    driver.expect("SCSI Error", [&](HWND box) {
      text = orvtest::messageBoxText(box);
      icon = messageBoxIcon(box);
      orvtest::pressButton(box, IDOK);
    });
    scsi::reportCommandFailure(nullptr, block(scsi::inquiry(), c.status, 0, c.target));
    EXPECT_TRUE(driver.allDone()) << c.text;
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(icon, LoadIcon(nullptr, IDI_EXCLAMATION));
  }
}

TEST(ScsiPageOutcome, SuccessIsSilentNotSupportedIsMessage1019OthersAreReported) {
  orvtest::ModalDriver driver;
  EXPECT_TRUE(scsi::reportPageOutcome(nullptr, block(scsi::modeSense(8, 0), 1, 0, 0)));

  std::string text;
  HICON icon = nullptr;
  driver.expect("Corvath", [&](HWND box) {
    text = orvtest::messageBoxText(box);
    icon = messageBoxIcon(box);
    orvtest::pressButton(box, IDOK);
  });
  // Sense byte 2 = 0x25: five bits give 5, illegal request.
  EXPECT_FALSE(scsi::reportPageOutcome(nullptr, block(scsi::modeSense(8, 0), 4, 0, 0x02, 0x25)));
  EXPECT_EQ(text, "The command is not supported by the device.");
  EXPECT_EQ(icon, LoadIcon(nullptr, IDI_EXCLAMATION));
  EXPECT_EQ(scsi::applicationTitle(), "Corvath");

  // 0x35 gives 0x15: the failure dialog, whose sense key field shows key 5.
  std::string key;
  driver.expect("SCSI Command Failure", [&](HWND dlg) {
    key = orvtest::itemText(dlg, 1613);
    orvtest::pressButton(dlg, IDOK);
  });
  EXPECT_FALSE(scsi::reportPageOutcome(nullptr, block(scsi::modeSense(8, 0), 4, 0, 0x02, 0x35)));
  EXPECT_EQ(key, "05 - Illegal request");

  driver.expect("SCSI Error", [](HWND box) { orvtest::pressButton(box, IDOK); });
  EXPECT_FALSE(scsi::reportPageOutcome(nullptr, block(scsi::modeSense(8, 0), 4, 0, 0x08)));
  EXPECT_TRUE(driver.allDone());
  EXPECT_TRUE(driver.unexpected().empty());
}

TEST(ScsiManagerStart, AMissingLibraryShowsMessage107AndStartFails) {
  scsi::stopManager();
  orvtest::ModalDriver driver;
  std::string text;
  HICON icon = nullptr;
  driver.expect("Velmora SCSI Explorer", [&](HWND box) {
    text = orvtest::messageBoxText(box);
    icon = messageBoxIcon(box);
    orvtest::pressButton(box, IDOK);
  });
  EXPECT_FALSE(scsi::startManager("no_such_scsi_manager.dll"));
  EXPECT_TRUE(driver.allDone());
  EXPECT_EQ(text, "Unable to load Wnvrax32.dll. Please reinstall Orvane 6.0");
  EXPECT_EQ(icon, LoadIcon(nullptr, IDI_HAND));
  EXPECT_EQ(scsi::scsiManager().handle(), nullptr);
}

TEST(ScsiManagerStart, ALibraryWithoutTheEntryPointsIsNeverCalled) {
  // Any library without GetVRAX32SupportInfo and SendVRAX32Command will do.
  scsi::ScsiManager manager;
  ASSERT_TRUE(manager.load("comctl32.dll"));
  EXPECT_EQ(manager.supportInfo(), 0u);

  uint8_t data[36];
  std::memset(data, 0x5A, sizeof data);
  scsi::ExecCommandBlock b;
  scsi::fillExecBlock(b, 0, 0, scsi::inquiry(), data);
  b.header.status = 1;  // left over: must not read as success
  scsi::SendResult r = manager.send(b, scsi::Feedback::WaitCursor, 50);
  EXPECT_EQ(r.end, scsi::WaitEnd::NotSent);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(b.header.status, 0);
  EXPECT_EQ(data[0], 0x5A);
  EXPECT_EQ(manager.abandonedCount(), 0u);
}

}  // namespace
