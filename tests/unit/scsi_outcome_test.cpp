#include <gtest/gtest.h>

#include <cstring>

#include "scsi/commands.h"
#include "scsi/outcome.h"

namespace {

using scsi::FailureReport;
using scsi::PageOutcome;

scsi::ExecCommandBlock finished(uint8_t status, uint8_t targetStatus = 0, uint8_t sense2 = 0) {
  scsi::ExecCommandBlock b;
  std::memset(&b, 0, sizeof b);
  b.header.status = status;
  b.targetStatus = targetStatus;
  b.senseArea[2] = sense2;
  return b;
}

TEST(ScsiOutcome, PageRequestIsSuccessNotSupportedOrReported) {
  EXPECT_EQ(scsi::classifyPageRequest(finished(1)), PageOutcome::Success);
  // Success is the status alone, whatever else the block says.
  EXPECT_EQ(scsi::classifyPageRequest(finished(1, 0x02, 0x05)), PageOutcome::Success);

  EXPECT_EQ(scsi::classifyPageRequest(finished(4, 0x02, 0x05)), PageOutcome::NotSupported);
  // Five bits of sense byte 2 are compared: 0x25 & 0x1F = 5, 0x35 & 0x1F = 0x15.
  EXPECT_EQ(scsi::classifyPageRequest(finished(4, 0x02, 0x25)), PageOutcome::NotSupported);
  EXPECT_EQ(scsi::classifyPageRequest(finished(4, 0x02, 0x35)), PageOutcome::Report);
  EXPECT_EQ(scsi::classifyPageRequest(finished(4, 0x02, 0x85)), PageOutcome::NotSupported);

  // Illegal request sense without check condition, or without status 4, is reported.
  EXPECT_EQ(scsi::classifyPageRequest(finished(4, 0x00, 0x05)), PageOutcome::Report);
  EXPECT_EQ(scsi::classifyPageRequest(finished(2, 0x02, 0x05)), PageOutcome::Report);
  EXPECT_EQ(scsi::classifyPageRequest(finished(0)), PageOutcome::Report);  // never finished
  EXPECT_EQ(scsi::classifyPageRequest(finished(7)), PageOutcome::Report);  // unknown status
}

TEST(ScsiOutcome, FailureReportIsAbortedBusyOrTheDialog) {
  EXPECT_EQ(scsi::chooseFailureReport(finished(2)), FailureReport::Aborted);
  EXPECT_EQ(scsi::chooseFailureReport(finished(2, 0x08)), FailureReport::Aborted);
  EXPECT_EQ(scsi::chooseFailureReport(finished(4, 0x08)), FailureReport::Busy);
  EXPECT_EQ(scsi::chooseFailureReport(finished(4, 0x02)), FailureReport::Dialog);
  EXPECT_EQ(scsi::chooseFailureReport(finished(0, 0x08)), FailureReport::Dialog);
  EXPECT_EQ(scsi::chooseFailureReport(finished(0)), FailureReport::Dialog);
  EXPECT_EQ(scsi::failureMessageId(FailureReport::Aborted), 1013u);
  EXPECT_EQ(scsi::failureMessageId(FailureReport::Busy), 1012u);
  EXPECT_EQ(scsi::failureMessageId(FailureReport::Dialog), 0u);
}

TEST(ScsiOutcome, FailureFieldsShowDigitsAndTheTextOfListedValues) {
  scsi::ExecCommandBlock b = finished(4, 0x02, 0x08);
  scsi::Command sense = scsi::modeSense(0x08, 2);
  std::memcpy(b.cdb, sense.cdb, 16);
  b.cdbLength = 6;
  b.cdb[7] = 0x99;  // beyond cdbLength: not shown
  b.adapterStatus = 0x11;
  b.senseArea[12] = 0x3A;
  b.senseArea[13] = 0x01;

  scsi::FailureFields f = scsi::failureFields(b);
  EXPECT_EQ(f.cdbSent, "1A 00 88 00 54 00 ");  // six groups, the last blank included
  EXPECT_EQ(f.adapterStatus.digits, "11 ");
  EXPECT_EQ(f.adapterStatus.textId, 1042);
  EXPECT_EQ(f.targetStatus.digits, "02 ");
  EXPECT_EQ(f.targetStatus.textId, 1047);
  EXPECT_EQ(f.senseKey.digits, "08 ");  // blank check: not listed, digits alone
  EXPECT_EQ(f.senseKey.textId, 0);
  EXPECT_EQ(f.senseCode.digits, "3A ");
  EXPECT_EQ(f.senseCode.textId, 0);
  EXPECT_EQ(f.senseQualifier.digits, "01 ");
  EXPECT_EQ(f.senseQualifier.textId, 0);
}

TEST(ScsiOutcome, FailureFieldsOfARequestThatNeverFinished) {
  scsi::ExecCommandBlock b = finished(0);
  scsi::Command cap = scsi::readCapacity();
  std::memcpy(b.cdb, cap.cdb, 16);
  b.cdbLength = 10;
  scsi::FailureFields f = scsi::failureFields(b);
  EXPECT_EQ(f.cdbSent, "25 00 00 00 00 00 00 00 00 00 ");
  EXPECT_EQ(f.adapterStatus.digits, "00 ");
  EXPECT_EQ(f.adapterStatus.textId, 1041);
  EXPECT_EQ(f.targetStatus.digits, "00 ");
  EXPECT_EQ(f.targetStatus.textId, 1046);
  EXPECT_EQ(f.senseKey.textId, 1049);
}

TEST(ScsiOutcome, SenseKeyUsesFourBitsAndEveryTableRowIsReachable) {
  scsi::ExecCommandBlock b = finished(4, 0x02, 0xF5);  // filemark, EOM, ILI bits set
  EXPECT_EQ(scsi::failureFields(b).senseKey.digits, "05 ");
  EXPECT_EQ(scsi::failureFields(b).senseKey.textId, 1054);

  const struct { uint8_t key; uint16_t id; } keys[] = {
      {0x0, 1049}, {0x1, 1050}, {0x2, 1051}, {0x3, 1052}, {0x4, 1053}, {0x5, 1054},
      {0x6, 1055}, {0x7, 1056}, {0x8, 0},    {0x9, 0},    {0xA, 0},    {0xB, 0},
      {0xC, 0},    {0xD, 1057}, {0xE, 1058}, {0xF, 0}};
  for (auto k : keys) EXPECT_EQ(scsi::lookupText(scsi::kSenseKeyTexts, k.key), k.id) << int(k.key);

  const struct { uint8_t value; uint16_t id; } adapter[] = {
      {0x00, 1041}, {0x11, 1042}, {0x12, 1043}, {0x13, 1044}, {0x14, 1045}, {0x10, 0}, {0x15, 0}};
  for (auto a : adapter)
    EXPECT_EQ(scsi::lookupText(scsi::kAdapterStatusTexts, a.value), a.id) << int(a.value);
  EXPECT_EQ(scsi::lookupText(scsi::kTargetStatusTexts, 0x08), 1048);
  EXPECT_EQ(scsi::lookupText(scsi::kTargetStatusTexts, 0x18), 0);
}

TEST(ScsiOutcome, AGarbledCdbLengthIsBoundedByTheCdbArea) {
  scsi::ExecCommandBlock b = finished(4);
  for (int i = 0; i < 16; ++i) b.cdb[i] = static_cast<uint8_t>(i);
  b.cdbLength = 200;
  EXPECT_EQ(scsi::failureFields(b).cdbSent.size(), 16u * 3);
  b.cdbLength = 0;
  EXPECT_EQ(scsi::failureFields(b).cdbSent, "");
}

}  // namespace
