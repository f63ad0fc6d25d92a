// Publishes the simulated adapters' SCSI ports in the registry, as the SCSI port driver
// does at start-up: HKLM\HARDWARE\DEVICEMAP\Scsi\Scsi Port N with the values "Driver",
// "Interrupt" and "IOAddress". Keys written by the simulator carry a "VraxSim" value
// after those, so that a later bus replaces exactly them. The keys are volatile.
#pragma once

#include <string>

#include "simulator/bus.h"

namespace simwin {

constexpr const char* kDeviceMapKey = "HARDWARE\\DEVICEMAP\\Scsi";
constexpr const char* kOwnerValue = "VraxSim";

// Removes the ports written before and, when the bus asks for it, writes its own.
// False with `error` set when the registry refuses.
bool writeDeviceMap(const sim::Bus& bus, std::string& error);

}  // namespace simwin
