// Holds what an outbound modal call stands on until it returns. A host may release the
// caller in the middle of such a call (a band closed, a folder left while its sheet is
// open); the call still returns into the caller, through its automation connection, on
// a thread whose COM the caller may have uninitialised meanwhile:
//
//   void TreeBand::showProperties() {
//     fw::ModalCall hold(static_cast<IDeskBand*>(this), corvath().dispatch());
//     corvath().ShowDeviceProperty(address);   // may outlive the host's last reference
//   }                                          // the caller may go here, once
//
// Nothing of the caller may be touched after the guard goes.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace fw {

class ModalCall {
 public:
  // Either may be null.
  ModalCall(IUnknown* caller, IDispatch* connection)
      : caller_(caller), connection_(connection), com_(SUCCEEDED(CoInitialize(nullptr))) {
    if (caller_) caller_->AddRef();
    if (connection_) connection_->AddRef();
  }
  ~ModalCall() {
    // The caller may go with its last reference: while the connection and COM stand.
    if (caller_) caller_->Release();
    if (connection_) connection_->Release();
    if (com_) CoUninitialize();
  }
  ModalCall(const ModalCall&) = delete;
  ModalCall& operator=(const ModalCall&) = delete;

 private:
  IUnknown* caller_;
  IDispatch* connection_;
  bool com_;
};

}  // namespace fw
