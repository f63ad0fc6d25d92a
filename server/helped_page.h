// Moved to pages/helped_page.h with what every page shares; this name stays until its last users move.
#pragma once

#include "pages/helped_page.h"
