// Compiled with the game floor's include root: the tools are above it.
#include "tools/LevelEditor.h"
