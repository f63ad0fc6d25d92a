// How a failed request is shown: the busy and aborted messages, the "SCSI Command
// Failure" dialog, and the page requests' "not supported" message.
#pragma once

#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "scsi/outcome.h"
#include "scsi/records.h"

namespace scsi {

// The name the application's own messages carry as caption (string 57344, else the
// module's file name without extension).
std::string applicationTitle();

// "%02X " digits followed by the field's text, when it has one.
std::string fieldText(const FieldValue& value);

class CommandFailureDialog : public fw::Dialog {
 public:
  CommandFailureDialog(const ExecCommandBlock& block, HWND parent);

  // The six texts, as the dialog shows them.
  std::string cdbSent, adapterStatus, targetStatus, senseKey, senseCode, senseQualifier;

 protected:
  void doDataExchange(fw::DataExchange& dx) override;
};

// Aborted: message 1013; busy: message 1012 (caption 1020, exclamation icon); anything
// else: the failure dialog, modal, owned by `owner`.
void reportCommandFailure(HWND owner, const ExecCommandBlock& block);

// The outcome of a page request: true on success; otherwise shows message 1019 (caption
// the application title) for a command the device does not support, or the failure
// report, both owned by `page`, and answers false.
bool reportPageOutcome(HWND page, const ExecCommandBlock& block);

}  // namespace scsi
