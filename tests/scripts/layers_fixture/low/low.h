// Low room: reaches up, which the check must catch.
#include "high/high.h"
