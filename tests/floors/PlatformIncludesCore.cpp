// Compiled with the platform floor's include root: nothing of ours is below it.
#include "engine/core/Logger.h"
