// Compiled with the core floor's include root only: what core may use is there.
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
