// Moved to pages/help.h with what every page shares; this name stays until its last users move.
#pragma once

#include "pages/help.h"
