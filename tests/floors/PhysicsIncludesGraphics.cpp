// Compiled with the physics floor's include root: graphics is above it (it
// may read bodies; physics never draws).
#include "engine/graphics/Renderer.h"
