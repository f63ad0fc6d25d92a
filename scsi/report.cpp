#include "scsi/report.h"

#include "framework/module.h"
#include "framework/msgbox.h"
#include "framework/strings.h"
#include "scsi/scsi_res.h"

namespace scsi {

std::string applicationTitle() {
  std::string title = fw::loadString(IDS_APP_TITLE);
  if (!title.empty()) return title;
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(fw::resourceModule(), path, MAX_PATH);
  std::string name(path, n < MAX_PATH ? n : 0);
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

std::string fieldText(const FieldValue& value) {
  return value.textId ? value.digits + fw::loadString(value.textId) : value.digits;
}

CommandFailureDialog::CommandFailureDialog(const ExecCommandBlock& block, HWND parent)
    : Dialog(IDD_SCSI_COMMAND_FAILURE, parent) {
  FailureFields f = failureFields(block);
  cdbSent = f.cdbSent;
  adapterStatus = fieldText(f.adapterStatus);
  targetStatus = fieldText(f.targetStatus);
  senseKey = fieldText(f.senseKey);
  senseCode = fieldText(f.senseCode);
  senseQualifier = fieldText(f.senseQualifier);
}

void CommandFailureDialog::doDataExchange(fw::DataExchange& dx) {
  if (dx.saving()) return;  // the fields only show
  dx.text(IDC_CDB_SENT, cdbSent);
  dx.text(IDC_ADAPTER_STATUS, adapterStatus);
  dx.text(IDC_TARGET_STATUS, targetStatus);
  dx.text(IDC_SENSE_KEY, senseKey);
  dx.text(IDC_SENSE_CODE, senseCode);
  dx.text(IDC_SENSE_QUALIFIER, senseQualifier);
}

void reportCommandFailure(HWND owner, const ExecCommandBlock& block) {
  FailureReport report = chooseFailureReport(block);
  if (report == FailureReport::Dialog) {
    CommandFailureDialog dialog(block, owner);
    dialog.doModal();
    return;
  }
  fw::messageBox(owner, failureMessageId(report), IDS_SCSI_ERROR, MB_OK | MB_ICONEXCLAMATION);
}

bool reportPageOutcome(HWND page, const ExecCommandBlock& block) {
  switch (classifyPageRequest(block)) {
    case PageOutcome::Success:
      return true;
    case PageOutcome::NotSupported:
      fw::messageBoxText(page, fw::loadString(IDS_NOT_SUPPORTED), applicationTitle(),
                         MB_OK | MB_ICONEXCLAMATION);
      return false;
    case PageOutcome::Report:
      break;
  }
  reportCommandFailure(page, block);
  return false;
}

}  // namespace scsi
