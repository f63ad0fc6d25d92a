// The simulator's own exports beside the SCSI manager's three: controls for tests, and
// the miniport seam through which the suite's miniport channel reaches the simulated
// driver (simulator/README.md). Resolved by name with GetProcAddress, like the
// manager's entry points; all use the C calling convention.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define SIM_CDECL __cdecl
#else
#define SIM_CDECL
#endif

namespace simctl {

// Loads a bus description file (null or "": the built-in default bus); 1 or 0.
constexpr const char* kLoadBus = "VraxSimLoadBus";
using LoadBusFn = int(SIM_CDECL*)(const char* path);
// Loads a description from text (saved values then live in memory only); 1 or 0.
constexpr const char* kLoadBusText = "VraxSimLoadBusText";
using LoadBusTextFn = int(SIM_CDECL*)(const char* text, const char* name);
// Copies the last load error ("" when the bus loaded); returns its full length.
constexpr const char* kLastError = "VraxSimLastError";
using LastErrorFn = uint32_t(SIM_CDECL*)(char* buffer, uint32_t size);
// Starts (appending) or, with null or "", stops the request log; 1 or 0.
constexpr const char* kSetLog = "VraxSimSetLog";
using SetLogFn = int(SIM_CDECL*)(const char* path);
// Completes the requests held by a "late" fault; returns their number once done.
constexpr const char* kReleaseLate = "VraxSimReleaseLate";
using ReleaseLateFn = int(SIM_CDECL*)();
// An auto-reset event (the library's: not to be closed) signalled each time a "late"
// fault holds a request back.
constexpr const char* kHeldEvent = "VraxSimHeldEvent";
using HeldEventFn = void*(SIM_CDECL*)();
// Requests queued or held for completion (requests that never complete not counted).
constexpr const char* kPendingCount = "VraxSimPendingCount";
using PendingCountFn = int(SIM_CDECL*)();
// Forgets saved mode page values: back to the description, state file deleted; 1.
constexpr const char* kResetState = "VraxSimResetState";
using ResetStateFn = int(SIM_CDECL*)();
// Writes the SCSI ports of the bus into HKLM\HARDWARE\DEVICEMAP\Scsi again; 1 or 0.
constexpr const char* kWriteDeviceMap = "VraxSimWriteDeviceMap";
using WriteDeviceMapFn = int(SIM_CDECL*)();

// The miniport seam: CreateFileA, DeviceIoControl and CloseHandle of "\\.\Scsi%d:".
// Open returns 0 on failure; Control and Close return 1 or 0; the last error is set.
constexpr const char* kMiniportOpen = "VraxSimMiniportOpen";
using MiniportOpenFn = uint32_t(SIM_CDECL*)(const char* deviceName);
constexpr const char* kMiniportControl = "VraxSimMiniportControl";
using MiniportControlFn = int(SIM_CDECL*)(uint32_t device, uint32_t ioControlCode,
                                          void* inBuffer, uint32_t inSize, void* outBuffer,
                                          uint32_t outSize, uint32_t* bytesReturned);
constexpr const char* kMiniportClose = "VraxSimMiniportClose";
using MiniportCloseFn = int(SIM_CDECL*)(uint32_t device);

}  // namespace simctl
