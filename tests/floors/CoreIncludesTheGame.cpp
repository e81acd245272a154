// Compiled with the core floor's include root: the game is above it.
#include "game/flow/GameStateManager.h"
