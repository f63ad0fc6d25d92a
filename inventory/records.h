// The records now live in contract/records.h; this name stays until its last users move.
#pragma once

#include "contract/records.h"
