// The shipped library serves this computer's devices, and nothing else.
#include "passthrough/win/library.h"
#include "passthrough/win/win_system.h"

namespace ptwin {

std::unique_ptr<pt::System> makeSystem() { return std::unique_ptr<pt::System>(new WinSystem()); }

}  // namespace ptwin
